#include "FleetRunner.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

void runFleet(const QList<QList<int>> &lanes, int jobs, FleetStart start,
              const std::function<void(int)> &job, const std::function<void(int)> &done)
{
    qsizetype items = 0;
    for (const QList<int> &lane : lanes)
        items += lane.size();

    std::mutex mutex;
    std::condition_variable finished; // an item is done
    std::condition_variable reported; // done() has run for one more item
    std::vector<bool> isDone(std::size_t(items), false);
    qsizetype doneInTurn = 0;    // the items below are done
    qsizetype reportedSoFar = 0; // done() has run for the items below
    std::atomic<qsizetype> nextLane{0};
    const auto work = [&] {
        for (qsizetype lane = nextLane++; lane < lanes.size(); lane = nextLane++) {
            for (const int item : lanes.at(lane)) {
                if (start == FleetStart::AfterReports) {
                    std::unique_lock lock(mutex);
                    reported.wait(lock, [&] { return reportedSoFar == doneInTurn; });
                }
                job(item);
                {
                    const std::lock_guard lock(mutex);
                    isDone[std::size_t(item)] = true;
                    while (doneInTurn < items && isDone[std::size_t(doneInTurn)])
                        ++doneInTurn;
                }
                finished.notify_all();
            }
        }
    };

    std::vector<std::unique_ptr<QThread>> workers;
    const qsizetype workerCount = std::min<qsizetype>(std::max(jobs, 1), lanes.size());
    for (qsizetype i = 0; i < workerCount; ++i) {
        workers.emplace_back(QThread::create(work));
        workers.back()->start();
    }
    for (qsizetype item = 0; item < items; ++item) {
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return item < doneInTurn; });
        }
        done(int(item));
        {
            const std::lock_guard lock(mutex);
            ++reportedSoFar;
        }
        reported.notify_all();
    }
    for (const std::unique_ptr<QThread> &worker : workers)
        worker->wait();
}
