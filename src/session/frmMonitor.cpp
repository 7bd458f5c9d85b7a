#include "frmMonitor.h"

#include "SessionWatch.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "widgets/ChoiceList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {
// The client area, 4680 by 690 twips, at 15 twips a pixel.
constexpr QSize kClientArea(312, 46);
} // namespace

frmMonitor::frmMonitor(startup::Forms& forms) : m_forms(forms)
{
    setObjectName(u"frmMonitor"_s);
    setWindowTitle(u"Profilövervakare"_s);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(p);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    lblProfilnamn = new QLabel(u"Profilnamn:"_s, this);
    lblProfilnamn->setObjectName(u"lblProfilnamn"_s);
    layout->addWidget(lblProfilnamn);
    chkSparaEj = new QCheckBox(u"&Spara inte ändringar i profil efter denna session."_s, this);
    chkSparaEj->setObjectName(u"chkSparaEj"_s);
    layout->addWidget(chkSparaEj);
    // The given client area, or what the texts need if the font is larger.
    setFixedSize(kClientArea.expandedTo(layout->totalSizeHint()));

    tmrCheck = new QTimer(this);
    tmrCheck->setObjectName(u"tmrCheck"_s);
    tmrCheck->setInterval(3000);
    connect(tmrCheck, &QTimer::timeout, this, &frmMonitor::tmrCheck_Timer);
    tmrCheck->start();
}

void frmMonitor::Form_Load()
{
    if (m_forms.state().fShowMonitor == startup::kTrue) {
        placeInCorner();
        m_forms.platform().stayOnTop(this, true);
    }
    lblProfilnamn->setText(u"Profilnamn: " + m_forms.main().cmbProfiler->currentText());
}

void frmMonitor::placeInCorner()
{
    // Out of the host's way: the bottom right corner of the screen.
    if (const QScreen* screen = m_forms.main().screen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 24, area.bottom() - height() - 48);
    }
}

void frmMonitor::tmrCheck_Timer()
{
    if (m_forms.platform().markerPresent())
        return;
    tmrCheck->stop();
    WriteBackProfile(m_forms, *this);
}

void frmMonitor::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace tuvano::session
