#pragma once

#include "shared/Context.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tuvano::settings {

// The program's name, purpose, version and legal notice. Shown modally.
class frmOm : public QDialog {
    Q_OBJECT
public:
    explicit frmOm(shared::Context& context);

    // Completes the version line; runs once per load.
    void Form_Load();
    void cmdStäng_Click();

    QLabel* versionLine = nullptr;
    QPushButton* cmdStäng = nullptr;

private:
    shared::Context& m_context;
};

} // namespace tuvano::settings
