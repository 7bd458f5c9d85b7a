#pragma once

#include "shared/Context.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tuvano::admin {

// Lists every profile, deletes one with its folder and opens the dialog that
// creates new ones. Each load also refills the main window's list.
class frmProfiles : public QWidget {
    Q_OBJECT
public:
    explicit frmProfiles(shared::Context& context);

    // Fills the list from the list file. False when the program has ended.
    bool Form_Load();
    void lstProfiles_Click();
    void cmdAdd_Click();
    void cmdDel_Click();
    void cmdExit_Click();

    QLabel* lblinfo = nullptr;
    QListWidget* lstProfiles = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdExit = nullptr;

private:
    // Whether the profile's files are the live session's.
    bool isInSession(const QString& name) const;

    shared::Context& m_context;
};

} // namespace tuvano::admin
