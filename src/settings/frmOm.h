#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tuvano::startup {
class Forms;
}

namespace tuvano::settings {

// The program's name, purpose, version and legal notice. Shown modally.
class frmOm : public QDialog {
    Q_OBJECT
public:
    explicit frmOm(startup::Forms& forms);

    // Completes the version line; runs once per load.
    void Form_Load();
    void cmdStäng_Click();

    QLabel* Label3 = nullptr;
    QPushButton* cmdStäng = nullptr;

private:
    startup::Forms& m_forms;
};

} // namespace tuvano::settings
