#include "frmAbout.h"

#include "Pictures.h"
#include "platform/Look.h"
#include "ui_frmAbout.h"

#include <QIcon>

using platform::TwipsPerPixel;

frmAbout::frmAbout()
    : m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
    platform::setWindowFrame(this, false);
    setWindowIcon(pictures::applicationIcon());

    platform::setPointSize(m_ui->Label1, 14.25);

    // The About box is not centred: it opens at its stored place, every time it is loaded. setGeometry
    // places the client area (move would place the frame).
    setGeometry(QRect(QPoint(StoredLeft / TwipsPerPixel, StoredTop / TwipsPerPixel), size()));
}

frmAbout::~frmAbout() = default;
