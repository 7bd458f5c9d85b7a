#pragma once

#include <QWidget>

class QLabel;

namespace tuvano::widgets {

// The top of a dialog: a bold heading, a line of explanation under it and an
// etched separator across the window.
class Header : public QWidget {
    Q_OBJECT
public:
    struct Names {
        QString heading;
        QString info;
        QString grayLine;
        QString whiteLine;
    };

    Header(const Names& names, const QString& heading, const QString& info,
           QWidget* parent = nullptr);

    QLabel* heading = nullptr;
    QLabel* info = nullptr;
};

} // namespace tuvano::widgets
