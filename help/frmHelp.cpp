#include "frmHelp.h"

#include "app/frmKestrola.h"
#include "frmHelpForm.h"
#include "Pictures.h"
#include "platform/Look.h"
#include "ui_frmHelp.h"
#include "ui_frmHelpForm.h"

#include <QIcon>
#include <QPushButton>

#include <initializer_list>

using namespace platform;

namespace {

// Every topic button does the same: the topics window comes up (loading it centres it), takes the
// topic's caption, shows the topic's page and hides the other pages, in the order given.
void showTopic(
    frmHelpForm &topics, const QString &caption, QWidget *page, std::initializer_list<QWidget *> others)
{
    topics.Show();
    topics.setWindowTitle(caption);
    page->setVisible(true);
    for (QWidget *other : others)
        other->setVisible(false);
}

} // namespace

frmHelp::frmHelp()
    : m_ui(std::make_unique<Ui::frmHelp>())
{
    m_ui->setupUi(this);
    platform::setWindowFrame(this, false);
    setWindowIcon(pictures::questionIcon());
    m_ui->Image2->setPixmap(pictures::banner());
    m_ui->Image1->setPixmap(pictures::questionMark());

    platform::setPointSize(m_ui->Label1, 13.5);

    m_ui->cmdAboutAuthor->setFocus();
    wireEvents();
}

frmHelp::~frmHelp() = default;

void frmHelp::wireEvents()
{
    connect(m_ui->cmdAboutAuthor, &QPushButton::clicked, this, &frmHelp::cmdAboutAuthor_Click);
    connect(m_ui->cmdQuestionsComments, &QPushButton::clicked, this, &frmHelp::cmdQuestionsComments_Click);
    connect(m_ui->cmdHelpWithZip, &QPushButton::clicked, this, &frmHelp::cmdHelpWithZip_Click);
    connect(m_ui->cmdHowToUse, &QPushButton::clicked, this, &frmHelp::cmdHowToUse_Click);
    connect(m_ui->cmdAboutProgram, &QPushButton::clicked, this, &frmHelp::cmdAboutProgram_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &frmHelp::Command9_Click);
}

void frmHelp::Form_Load() { centreOnScreen(); }

void frmHelp::Form_Unload(qint16 &Cancel)
{
    Q_UNUSED(Cancel)
    // the topics window is left as it is: if it is open, it stays open
    form<frmKestrola>().setEnabled(true);
}

void frmHelp::cmdAboutAuthor_Click()
{
    frmHelpForm &topics = form<frmHelpForm>();
    Ui::frmHelpForm &f = topics.ui();
    showTopic(topics, QStringLiteral("About the Author"), f.fraAboutAuthor,
        { f.fraQuestionsComments, f.fraAboutProgram, f.fraHelpWithZip, f.fraHowToUse });
}

void frmHelp::cmdQuestionsComments_Click()
{
    frmHelpForm &topics = form<frmHelpForm>();
    Ui::frmHelpForm &f = topics.ui();
    showTopic(topics, QStringLiteral("Further Questions or Comments"), f.fraQuestionsComments,
        { f.fraAboutAuthor, f.fraAboutProgram, f.fraHelpWithZip, f.fraHowToUse });
}

void frmHelp::cmdHelpWithZip_Click()
{
    frmHelpForm &topics = form<frmHelpForm>();
    Ui::frmHelpForm &f = topics.ui();
    showTopic(topics, QStringLiteral("Help with .zip Files"), f.fraHelpWithZip,
        { f.fraQuestionsComments, f.fraAboutProgram, f.fraAboutAuthor, f.fraHowToUse });
}

void frmHelp::cmdHowToUse_Click()
{
    frmHelpForm &topics = form<frmHelpForm>();
    Ui::frmHelpForm &f = topics.ui();
    showTopic(topics, QStringLiteral("How To Use Kestrola"), f.fraHowToUse,
        { f.fraQuestionsComments, f.fraAboutProgram, f.fraHelpWithZip, f.fraAboutAuthor });
}

void frmHelp::cmdAboutProgram_Click()
{
    frmHelpForm &topics = form<frmHelpForm>();
    Ui::frmHelpForm &f = topics.ui();
    showTopic(topics, QStringLiteral("About Kestrola"), f.fraAboutProgram,
        { f.fraQuestionsComments, f.fraAboutAuthor, f.fraHelpWithZip, f.fraHowToUse });
}

void frmHelp::Command9_Click()
{
    Hide();
    frmKestrola &mainWindow = form<frmKestrola>();
    mainWindow.Show();
    mainWindow.setEnabled(true);
    // hiding the topics window loads it, hidden, if no topic was opened yet
    form<frmHelpForm>().Hide();
}
