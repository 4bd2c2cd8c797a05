#pragma once

#include <QList>

#include <functional>

// When a job may start: at once, or only once done() has run for every item it can run for, so
// that a job learns what became of all that could be reported before it (a restore starts no
// printer once a result line could not be written). Waiting costs a pass through the calling
// thread per item: a scan of thousands of addresses starts them at once.
enum class FleetStart { AtOnce, AfterReports };

// Runs one job per printer on threads of their own, for commands that work on many printers.
// Items 0 to n-1 are shared out in lanes: the items of one lane (the printers on one port) run one
// after another in their order, the lanes side by side, at most `jobs` at a time. `job(item)`
// runs on a worker thread; whatever it makes of Qt objects it must make and end there.
// `done(item)` runs on the calling thread, in item order, as soon as that item and all before it
// are done. Returns when every item is done.
void runFleet(const QList<QList<int>> &lanes, int jobs, FleetStart start,
              const std::function<void(int)> &job, const std::function<void(int)> &done);
