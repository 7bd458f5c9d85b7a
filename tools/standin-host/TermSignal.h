#pragma once

#include <QObject>

class QSocketNotifier;

namespace tuvano::standin {

// Turns SIGTERM and SIGINT into a Qt signal, so that a host told to stop ends
// as if its window were closed: files written, marker removed. Does nothing
// where there are no such signals. One instance at a time.
class TermSignal : public QObject {
    Q_OBJECT

public:
    explicit TermSignal(QObject* parent = nullptr);
    ~TermSignal() override;

signals:
    void received();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tuvano::standin
