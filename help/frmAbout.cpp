#include "frmAbout.h"

#include "Pictures.h"
#include "ui_frmAbout.h"

#include <QIcon>

using platform::TwipsPerPixel;

frmAbout::frmAbout()
    : m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    setWindowIcon(pictures::applicationIcon());

    QFont title = m_ui->Label1->font();
    title.setPointSizeF(14.25);
    m_ui->Label1->setFont(title);

    // The About box is not centred: it opens at its stored place, every time it is loaded. setGeometry
    // places the client area (move would place the frame).
    setGeometry(QRect(QPoint(StoredLeft / TwipsPerPixel, StoredTop / TwipsPerPixel), size()));
}

frmAbout::~frmAbout() = default;
