#pragma once

#include "platform/FolderAccess.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace tuvano::test {

// A message box as the program asked for it.
struct Box {
    QString text;
    QString title;
    platform::Icon icon;
    platform::Buttons buttons;
};

// A platform for tests: records every box, launch and end, answers from a
// script, and never blocks.
class FakePlatform : public platform::Platform {
public:
    explicit FakePlatform(QString folder, QString marker = {})
        : folder(std::move(folder)), marker(std::move(marker))
    {
        if (this->marker.isEmpty())
            this->marker = this->folder + QStringLiteral("/lx98temp.tmp");
    }

    QString folder;
    QString marker;
    store::FileOps* ops = &store::FileOps::real();

    std::vector<Box> boxes;
    std::deque<platform::Answer> answers; // for Yes/No boxes, in order
    std::deque<QString> inputs;           // answers of input boxes; none: cancelled
    QStringList prompts;
    std::function<void(const Box&)> onMessage; // runs while a box is "open"

    QStringList launched;     // every program started, in order
    std::set<qint64> running; // the started processes that have not ended
    std::set<qint64> others;  // host processes this program did not start
    qint64 lastPid = 1000;
    bool hostRunning = false;
    std::deque<float> randoms;
    int reseeds = 0;
    std::vector<std::pair<QWidget*, bool>> pinned;

    std::map<qint64, QString> failures; // of ended processes: how each failed

    // The host ends: its marker goes, and so do its processes.
    void endHost()
    {
        hostRunning = false;
        running.clear();
        others.clear();
    }

    bool folderWriteDenied = false; // this user may not make files in the program folder
    QString localAppData;           // the user's LOCALAPPDATA; empty: no VirtualStore

    bool ended = false;
    QString fatal;  // the text of the error the program ended with
    QDateTime boot; // the computer's last start; invalid: unknown

    QString programFolder() const override { return folder; }
    QStringList markerPaths() const override { return {marker}; }
    QDateTime bootTime() const override { return boot; }
    store::FileOps& fileOps() override { return *ops; }
    bool writeDenied(const QString& path) const override
    {
        return folderWriteDenied && path == folder;
    }
    QString virtualStore(const QString& path) const override
    {
        return platform::virtualStoreFolder(path, localAppData);
    }

    platform::Answer message(const QString& text, const QString& title, platform::Icon icon,
                             platform::Buttons buttons) override
    {
        EXPECT_FALSE(ended) << "a box after the program ended: " << text.toStdString();
        boxes.push_back({text, title, icon, buttons});
        if (onMessage)
            onMessage(boxes.back());
        if (buttons == platform::Buttons::Ok)
            return platform::Answer::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return platform::Answer::No;
        }
        const platform::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString&) override
    {
        prompts << prompt + QStringLiteral(" | ") + title;
        if (inputs.empty())
            return {};
        QString answer = inputs.front();
        inputs.pop_front();
        return answer;
    }

    std::function<void(qint64)> onLaunch; // runs as a started process begins

    platform::Launch launch(const QString& path) override
    {
        if (!QFileInfo(path).isFile())
            return platform::Launch::failed(platform::launchFailure::kMissing.toString());
        launched << path;
        running.insert(++lastPid);
        if (onLaunch)
            onLaunch(lastPid);
        return platform::Launch::of(lastPid);
    }
    bool processRunning(qint64 pid) override { return running.contains(pid); }
    std::vector<qint64> runningHosts() override
    {
        std::set<qint64> all = others;
        all.insert(running.begin(), running.end());
        return {all.begin(), all.end()};
    }
    std::optional<QString> failureOf(qint64 pid) override
    {
        const auto failure = failures.find(pid);
        if (failure == failures.end() || running.contains(pid))
            return std::nullopt;
        return failure->second;
    }

    bool canOpen(const QString& path) override
    {
        if (path == marker)
            return hostRunning;
        QFile file(path);
        return file.open(QIODevice::ReadOnly);
    }

    void reseedRandom() override { ++reseeds; }
    float randomFraction() override
    {
        if (randoms.empty())
            return 0.5f;
        const float r = randoms.front();
        randoms.pop_front();
        return r;
    }

    void stayOnTop(QWidget* window, bool onTop) override { pinned.emplace_back(window, onTop); }

    void endProgram() override { ended = true; }
    void fatalError(const QString& text) override
    {
        boxes.push_back({text, QStringLiteral("Lexaro Tuvano!"), platform::Icon::Critical,
                         platform::Buttons::Ok});
        fatal = text;
        ended = true;
    }

    QStringList titles() const
    {
        QStringList all;
        for (const Box& b : boxes)
            all << b.title;
        return all;
    }
};

} // namespace tuvano::test
