#pragma once

#include "shared/Context.h"

#include <QWidget>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace tuvano::widgets {
class ChoiceList;
}
namespace tuvano::store {
struct Settings;
}

namespace tuvano::settings {

// Shows the five settings as they are stored and stores the user's choices.
// Loaded afresh at every opening, so it always starts from the file.
class frmSettings : public QWidget {
    Q_OBJECT
public:
    explicit frmSettings(shared::Context& context);

    // Reads the file into the program state and the controls. False (with
    // the user told why) when the file or the list cannot be read.
    bool Form_Load();
    void cmdDo_Click();
    void cmdCancel_Click();

    QCheckBox* chkAutoval = nullptr;
    widgets::ChoiceList* cmbProfiles = nullptr;
    QRadioButton* optIngen = nullptr;
    QRadioButton* opt3 = nullptr;
    QRadioButton* opt10 = nullptr;
    QRadioButton* opt30 = nullptr;
    QCheckBox* chkShutdown = nullptr;
    QCheckBox* chkShow = nullptr;
    QPushButton* cmdDo = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    QWidget* buildQuickStartFrame();
    QWidget* buildDefaultFrame();
    QWidget* buildOtherFrame();
    // The settings as the controls show them.
    store::Settings chosen() const;
    void cantOpen(const QString& reason);

    shared::Context& m_context;
};

} // namespace tuvano::settings
