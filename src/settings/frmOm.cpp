#include "frmOm.h"

#include "Version.h"
#include "shared/Context.h"
#include "shared/StatusTexts.h"
#include "widgets/Decoration.h"
#include "widgets/DialogFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::settings {

frmOm::frmOm(shared::Context& context) : m_context(context)
{
    setObjectName(u"frmOm"_s);
    setWindowTitle(u"Om Lexaro Tuvano!"_s);
    setModal(true);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* banner = new widgets::Shape(this);
    banner->setObjectName(u"Shape1"_s);
    banner->setFill(widgets::bannerFill());
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(20, 18, 20, 18);
    bannerLayout->setSpacing(14);
    auto* picture = new widgets::Picture(u":/pictures/tuvano-48.pixels"_s, banner);
    picture->setObjectName(u"Image1"_s);
    bannerLayout->addWidget(picture);
    bannerLayout->addLayout(widgets::bannerTitles(banner, 11, 20, 2), 1);
    root->addWidget(banner);
    root->addWidget(widgets::accentStrip(u"Shape2"_s, this));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 16, 20, 16);
    body->setSpacing(8);
    versionLine = widgets::namedLabel(u"Label3"_s, u"Programinformation för"_s, this, true);
    widgets::setLook(versionLine, 0, QFont::Bold, QColor());
    body->addWidget(versionLine);
    body->addWidget(
        widgets::namedLabel(u"Label5"_s,
                            u"Tillbehör till Lexaro för hantering av flera användare på en "
                            u"installation. "_s,
                            this, true));
    body->addSpacing(4);
    body->addWidget(widgets::etchedSeparator(u"Line2"_s, u"Line1"_s, this));
    QLabel* notice =
        widgets::namedLabel(u"Label6"_s, shared::texts::kLegalNotice.toString(), this, true);
    widgets::setLook(notice, 8, QFont::Normal, QColor(0x6b, 0x77, 0x85));
    body->addWidget(notice);
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
    versionLine->setText(versionLine->text() + u" version " + QString::number(kVersionMajor) +
                         u'.' + QString::number(kVersionMinor) + u'.' +
                         QString::number(kVersionRevision));
    // The height the wrapped texts need at the window's fixed width. Left to
    // the size hint, it would be the height for a narrower window, and the
    // banner would take up the rest, more at some scales than at others.
    setFixedHeight(heightForWidth(width()));
}

void frmOm::cmdStäng_Click()
{
    accept();
    m_context.startWindow.bringForward();
}

} // namespace tuvano::settings
