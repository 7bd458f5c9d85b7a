#pragma once

#include "shared/Context.h"
#include "store/ProfileList.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace tuvano::widgets {
class ChoiceList;
class WrapLabel;
} // namespace tuvano::widgets

namespace tuvano::admin {

// Creates a profile under a fresh random identifier, named as the user types
// and filled with copies of an existing profile's files.
class frmAdd : public QWidget {
    Q_OBJECT
public:
    explicit frmAdd(shared::Context& context);

    // Draws the identifier and fills the base list. False when the program
    // has ended.
    bool Form_Load();
    void lblNamn_Click();
    void cmdDo_Click();
    void cmdCancel_Click();

    // The new profile's identifier, drawn at load.
    QString ID;

    QLabel* lblId = nullptr;
    widgets::WrapLabel* lblNamn = nullptr;
    widgets::ChoiceList* cmbProfiles = nullptr;
    QPushButton* cmdDo = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool event(QEvent* event) override;

private:
    // Draws identifiers until one is used by no record and no folder.
    void drawId(const store::ProfileRecords& list);
    // The name falls back to the identifier, with a message saying why.
    void fallBackToId(const QString& text, const QString& title);

    shared::Context& m_context;
};

} // namespace tuvano::admin
