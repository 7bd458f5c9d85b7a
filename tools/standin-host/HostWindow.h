#pragma once

#include "store/HostContract.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tuvano::standin {

class HostRun;

// The stand-in host's only window: the five data files of the program folder
// with their sizes, and a way to add lines to them that are written when the
// host ends.
class HostWindow : public QWidget {
    Q_OBJECT

public:
    explicit HostWindow(HostRun& run, QWidget* parent = nullptr);

private:
    QWidget* makeFileList();
    QWidget* makeLineEditor();
    QWidget* makeLog();
    void showFiles();
    void addLine();
    void logLine(store::DataFile file, const QString& text);

    HostRun& m_run;
    QTreeWidget* m_files = nullptr;
    QComboBox* m_target = nullptr;
    QLineEdit* m_text = nullptr;
    QPushButton* m_add = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

} // namespace tuvano::standin
