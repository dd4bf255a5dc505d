#include "ProgressWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pkunzip {

ProgressWindow::ProgressWindow(const ExpandRequest &request, QWidget *parent)
    : QWidget(parent)
    , m_request(request)
{
    const QString archiveName = QFileInfo(QString::fromStdString(request.archive)).fileName();
    setWindowTitle(tr("Expanding %1").arg(archiveName));
    setObjectName(QStringLiteral("frmPkunzip"));

    m_heading = new QLabel(
        tr("Expanding %1\ninto %2")
            .arg(archiveName, QDir::toNativeSeparators(QString::fromStdString(request.destination))),
        this);
    m_heading->setWordWrap(true);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("barProgress"));
    m_bar->setRange(0, 1000);
    m_bar->setValue(0);
    m_current = new QLabel(this);
    m_current->setObjectName(QStringLiteral("lblCurrentFile"));
    m_current->setMinimumWidth(400);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_summary->setWordWrap(true);
    m_summary->hide();
    m_problems = new QPlainTextEdit(this);
    m_problems->setObjectName(QStringLiteral("txtProblems"));
    m_problems->setReadOnly(true);
    m_problems->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_problems->setMinimumHeight(140);
    m_problems->hide();
    m_button = new QPushButton(tr("Cancel"), this);
    m_button->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_bar);
    layout->addWidget(m_current);
    layout->addWidget(m_summary);
    layout->addWidget(m_problems, 1);
    layout->addLayout(buttons);

    m_timer = new QTimer(this);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::refresh);
    connect(m_button, &QPushButton::clicked, this, &ProgressWindow::cancelClicked);
}

ProgressWindow::~ProgressWindow()
{
    if (m_thread.joinable()) {
        m_expander->cancel();
        m_thread.join();
    }
}

void ProgressWindow::start()
{
    show();
    m_request.askBeforeReplacing = true;
    m_expander = std::make_unique<Expander>(m_request, static_cast<ExpandObserver &>(*this));
    m_running = true;
    m_timer->start();
    m_thread = std::thread([this] {
        const int status = m_expander->run();
        QMetaObject::invokeMethod(
            this, [this, status] { done(status); }, Qt::QueuedConnection);
    });
}

void ProgressWindow::expanded(const std::string &)
{
    // the timer shows progress; nothing to do per file
}

void ProgressWindow::problem(const std::string &message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pendingProblems << QString::fromStdString(message);
}

ReplaceAnswer ProgressWindow::askReplace(const std::string &path, const std::string &destination)
{
    // Called on the expansion thread: the question is asked on the window's thread, which waits for it.
    ReplaceAnswer answer = ReplaceAnswer::No;
    QMetaObject::invokeMethod(
        this,
        [&] {
            QMessageBox box(QMessageBox::Question, windowTitle(),
                tr("\"%1\" already exists in %2.\n\nReplace it with the file from the archive?")
                    .arg(QString::fromStdString(path),
                        QDir::toNativeSeparators(QString::fromStdString(destination))),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll, this);
            box.setObjectName(QStringLiteral("msgReplace"));
            box.setDefaultButton(QMessageBox::No);
            switch (box.exec()) {
            case QMessageBox::Yes:
                answer = ReplaceAnswer::Yes;
                break;
            case QMessageBox::YesToAll:
                answer = ReplaceAnswer::YesToAll;
                break;
            case QMessageBox::NoToAll:
                answer = ReplaceAnswer::NoToAll;
                break;
            default:
                answer = ReplaceAnswer::No;
                break;
            }
        },
        Qt::BlockingQueuedConnection);
    return answer;
}

void ProgressWindow::refresh()
{
    if (!m_expander)
        return;
    const uint64_t total = m_expander->bytesTotal();
    const uint64_t doneBytes = m_expander->progressBytes();
    m_bar->setValue(total ? int(doneBytes * 1000 / total) : (m_running ? 0 : 1000));
    if (m_running) {
        const QString name = QString::fromStdString(m_expander->currentName());
        m_current->setText(m_current->fontMetrics().elidedText(name, Qt::ElideMiddle, m_current->width()));
    }
    QStringList fresh;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fresh.swap(m_pendingProblems);
    }
    if (!fresh.isEmpty()) {
        m_problemList << fresh;
        for (const QString &p : fresh)
            m_problems->appendPlainText(p);
        if (m_problems->isHidden()) {
            m_problems->show();
            growToFit();
        }
    }
}

void ProgressWindow::growToFit()
{
    layout()->activate();
    resize(size().expandedTo(sizeHint()));
}

void ProgressWindow::cancelClicked()
{
    if (m_running) {
        m_expander->cancel();
        m_button->setEnabled(false);
        m_button->setText(tr("Cancelling..."));
        return;
    }
    close();
}

void ProgressWindow::done(int status)
{
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
    m_status = status;
    refresh();
    m_timer->stop();
    if (status == ExitOk || status == ExitCancelled) {
        hide();
        emit finished(status);
        return;
    }
    m_current->clear();
    const unsigned files = m_expander->filesExpanded();
    const unsigned problems = m_expander->problemCount();
    const QString advice = tr("The problems are listed below; each message says what you can do.");
    const QString expanded = files == 1 ? tr("1 file expanded") : tr("%1 files expanded").arg(files);
    const QString trouble = problems == 1 ? tr("1 problem") : tr("%1 problems").arg(problems);
    m_summary->setText((files == 0 ? tr("Nothing was expanded.")
                                   : expanded + QStringLiteral(", ") + trouble + QLatin1Char('.'))
        + QLatin1Char(' ') + advice);
    m_summary->show();
    m_bar->setValue(1000);
    growToFit();
    m_button->setEnabled(true);
    m_button->setText(tr("Close"));
    m_button->setDefault(true);
    m_button->setFocus();
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        // Closing while expanding means Cancel: stop cleanly first, then go.
        event->ignore();
        cancelClicked();
        return;
    }
    event->accept();
    if (m_status >= 0)
        emit finished(m_status);
}

} // namespace pkunzip
