#pragma once

#include "session/frmMonitor.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "startup/FolderCheck.h"
#include "store/HostContract.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace tuvano::test {

// A program folder with the host's five live files, a fake platform and the
// program's windows, started as the program starts.
class WindowFixture : public ::testing::Test {
protected:
    TempFolder dir;
    FakePlatform platform{dir.path()};
    std::unique_ptr<shell::Forms> forms;

    WindowFixture() { layOutHost(); }
    // The program folder sub inside a fresh temporary folder.
    explicit WindowFixture(const QString& sub) : dir(sub) { layOutHost(); }

    ~WindowFixture() override
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The five live files, each with content of its own.
    void layOutHost()
    {
        for (store::DataFile f : store::ProfileFileSet::listing) {
            const QString name = store::fileName(f).toString();
            dir.write(name, "live " + name.toLatin1() + "\r\n\x01\xff");
        }
    }

    // A store as the program leaves it: settings, list and profile folders
    // whose files say which profile they belong to.
    void layOutStore(const QByteArray& settings, const QList<std::pair<QString, QString>>& profiles)
    {
        dir.write(QStringLiteral("tuvano.ini"), settings);
        QByteArray list;
        for (const auto& [name, id] : profiles) {
            list += "\"" + name.toLatin1() + "\",\"" + id.toLatin1() + "\"\r\n";
            for (store::DataFile f : store::ProfileFileSet::listing)
                dir.write(QStringLiteral("profiles/") + id + u'/' + store::fileName(f),
                          "profile " + id.toLatin1() + " " + store::fileName(f).toLatin1());
        }
        dir.write(QStringLiteral("profiles.map"), list);
    }

    static QByteArray settings(const char* quick, int delay, const char* defaultName,
                               const char* shutdown = "#TRUE#", const char* monitor = "#TRUE#")
    {
        return QByteArray(quick) + "\r\n" + QByteArray::number(delay) + "\r\n\"" + defaultName +
               "\"\r\n" + shutdown + "\r\n" + monitor + "\r\n";
    }

    // Starts the program: the start-up window's load handler, then the window
    // shown, as main() does.
    bool start()
    {
        if (const QString denied = startup::writeDeniedText(platform); !denied.isEmpty()) {
            platform.fatalError(denied);
            return false;
        }
        forms = std::make_unique<shell::Forms>(platform);
        if (!forms->loadMain())
            return false;
        forms->main().show();
        return true;
    }

    shell::frmMain& main() { return forms->main(); }
    session::frmMonitor* loadedMonitor() { return session::monitor(forms->context()); }
    shared::ProgramState& state() { return forms->state(); }

    template <class T = QWidget> T* control(QWidget* window, const char* name)
    {
        T* w = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

// Every control that shows a text offers the same text (without its access
// key marker) as its accessible name.
inline void expectAccessibleNames(QWidget* window)
{
    const auto check = [](QWidget* w, QString text) {
        text.remove(u'&');
        if (text.isEmpty())
            return;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Name), text) << w->objectName().toStdString();
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        check(b, b->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        check(l, l->text());
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        check(g, g->title());
}

} // namespace tuvano::test
