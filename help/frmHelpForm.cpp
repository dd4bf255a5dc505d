#include "frmHelpForm.h"

#include "Pictures.h"
#include "platform/Look.h"
#include "ui_frmHelpForm.h"

#include <QColor>
#include <QIcon>
#include <QPalette>

namespace {

const QColor PageGrey(192, 192, 192);

// The grey pages: the whole page, and so every label on it, on light grey.
void makeGrey(QWidget *page)
{
    QPalette grey = page->palette();
    grey.setColor(QPalette::Window, PageGrey);
    page->setPalette(grey);
    page->setAutoFillBackground(true);
}

} // namespace

frmHelpForm::frmHelpForm()
    : m_ui(std::make_unique<Ui::frmHelpForm>())
{
    m_ui->setupUi(this);
    platform::setWindowFrame(this, false);
    setWindowIcon(pictures::applicationIcon());

    makeGrey(m_ui->fraAboutProgram);
    makeGrey(m_ui->fraAboutAuthor);
    makeGrey(m_ui->fraQuestionsComments);

    // Liberation Sans sets this paragraph a little wider than the font the page was laid out for, so its
    // last line would fall below the label; letters 3% closer keep the whole paragraph in view.
    QFont tighter = m_ui->Label32->font();
    tighter.setLetterSpacing(QFont::PercentageSpacing, 97);
    m_ui->Label32->setFont(tighter);
}

frmHelpForm::~frmHelpForm() = default;

void frmHelpForm::Form_Load() { centreOnScreen(); }
