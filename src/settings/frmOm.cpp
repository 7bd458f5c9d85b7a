#include "frmOm.h"

#include "Version.h"
#include "startup/Forms.h"
#include "startup/StatusTexts.h"
#include "startup/frmMain.h"
#include "widgets/Decoration.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::settings {

namespace {

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    return l;
}

const QString kStyle = uR"(
#Shape1 { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #173f66, stop:1 #2f78b7); }
#Shape2 { background: #f0a81c; }
#Label1 { color: #cfe2f3; font-size: 11pt; letter-spacing: 2px; }
#Label2 { color: white; font-size: 20pt; font-weight: bold; }
#Label3 { font-weight: bold; }
#Label6 { color: #6b7785; font-size: 8pt; }
)"_s;

} // namespace

frmOm::frmOm(startup::Forms& forms) : m_forms(forms)
{
    setObjectName(u"frmOm"_s);
    setWindowTitle(u"Om Lexaro Tuvano!"_s);
    setModal(true);
    setStyleSheet(kStyle);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* banner = new widgets::Shape(this);
    banner->setObjectName(u"Shape1"_s);
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(20, 14, 20, 14);
    bannerLayout->setSpacing(14);
    auto* picture = new widgets::Picture(u":/pictures/tuvano-48.png"_s, banner);
    picture->setObjectName(u"Image1"_s);
    bannerLayout->addWidget(picture);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(label(u"Label1"_s, u"Lexaro"_s, banner));
    titles->addWidget(label(u"Label2"_s, u"Tuvano!"_s, banner));
    bannerLayout->addLayout(titles, 1);
    root->addWidget(banner);
    auto* accent = new widgets::Shape(this);
    accent->setObjectName(u"Shape2"_s);
    accent->setFixedHeight(4);
    root->addWidget(accent);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 16, 20, 16);
    body->setSpacing(8);
    Label3 = label(u"Label3"_s, u"Programinformation för"_s, this);
    body->addWidget(Label3);
    body->addWidget(label(u"Label5"_s,
                          u"Tillbehör till Lexaro för hantering av flera användare på en "
                          u"installation. "_s,
                          this));
    body->addSpacing(4);
    body->addWidget(widgets::etchedSeparator(u"Line2"_s, u"Line1"_s, this));
    body->addWidget(label(u"Label6"_s, startup::texts::kLegalNotice.toString(), this));
    body->addWidget(widgets::etchedSeparator(u"Line8"_s, u"Line7"_s, this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdStäng = new QPushButton(u"&Stäng"_s, this);
    cmdStäng->setObjectName(u"cmdStäng"_s);
    cmdStäng->setDefault(true);
    connect(cmdStäng, &QPushButton::clicked, this, &frmOm::cmdStäng_Click);
    buttons->addWidget(cmdStäng);
    body->addLayout(buttons);
    root->addLayout(body);
    setFixedWidth(420);
}

void frmOm::Form_Load()
{
    Label3->setText(Label3->text() + u" version " + QString::number(kVersionMajor) + u'.' +
                    QString::number(kVersionMinor) + u'.' + QString::number(kVersionRevision));
}

void frmOm::cmdStäng_Click()
{
    accept();
    m_forms.main().activateWindow();
}

} // namespace tuvano::settings
