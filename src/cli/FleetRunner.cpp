#include "FleetRunner.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

void runFleet(const QList<QList<int>> &lanes, int jobs, const std::function<void(int)> &job,
              const std::function<void(int)> &done)
{
    qsizetype items = 0;
    for (const QList<int> &lane : lanes)
        items += lane.size();

    std::mutex mutex;
    std::condition_variable finished;
    std::vector<bool> isDone(std::size_t(items), false);
    std::atomic<qsizetype> nextLane{0};
    const auto work = [&] {
        for (qsizetype lane = nextLane++; lane < lanes.size(); lane = nextLane++) {
            for (const int item : lanes.at(lane)) {
                job(item);
                {
                    const std::lock_guard lock(mutex);
                    isDone[std::size_t(item)] = true;
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
            finished.wait(lock, [&] { return bool(isDone[std::size_t(item)]); });
        }
        done(int(item));
    }
    for (const std::unique_ptr<QThread> &worker : workers)
        worker->wait();
}
