// Preloaded into a Qt Widgets program (LD_PRELOAD), this ends the program
// right after its first window has been painted: a whole process from exec
// to exit then times the start-up to a window on the screen, and the
// program measured is the one that ships, unchanged.
//
// With BENCH_FIRST_PAINT_LOG naming a file, the name of that window is
// written there, so a run can make sure it was the window it meant to time
// and not, say, a message box. A window is known by its objectName, which
// names what the window is ("frmMain" for the start-up window) and stays
// when its class moves to another namespace or folder; one without a name
// of its own (a bare QLabel, a message box) by the class Qt gives it.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_seen || event->type() != QEvent::Paint || !watched->isWidgetType() ||
            !static_cast<QWidget*>(watched)->isWindow())
            return false;
        m_seen = true;
        log(nameOf(*watched));
        // The window's children are painted after it in the same pass and
        // the pass ends by putting the picture on the screen: exit after it.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        return false;
    }

private:
    static QByteArray nameOf(const QObject& window)
    {
        const QString name = window.objectName();
        return name.isEmpty() ? QByteArray(window.metaObject()->className()) : name.toUtf8();
    }

    static void log(const QByteArray& name)
    {
        const QString path = qEnvironmentVariable("BENCH_FIRST_PAINT_LOG");
        if (path.isEmpty())
            return;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(name + '\n');
    }

    bool m_seen = false;
};

void watchFirstPaint() { qApp->installEventFilter(new FirstPaint(qApp)); }

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
