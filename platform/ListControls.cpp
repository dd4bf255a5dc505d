#include "ListControls.h"

#include "ClassicIcons.h"
#include "DirReader.h"
#include "DriveTable.h"
#include "Services.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace platform {

namespace {

constexpr int LevelRole = Qt::UserRole + 1;
constexpr int IndentPerLevel = 10;

/** Indents each folder by its depth, as the classic folder list does. */
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        o.rect.setLeft(o.rect.left() + index.data(LevelRole).toInt() * IndentPerLevel);
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += index.data(LevelRole).toInt() * IndentPerLevel;
        return s;
    }
};

// A full DOS path for what a list is given: "X:\...", a drive designation ("c:", "c: [label]")
// meaning that drive's current folder, a native path, or a path relative to `base`.
QString fullDosPath(const QString &text, const QString &base)
{
    const DriveTable &table = DriveTable::instance();
    if (text.startsWith(QLatin1Char('/')))
        return table.toDos(text);
    const QChar letter = DriveTable::driveLetterOf(text);
    if (!letter.isNull() && text.size() >= 2 && text.at(1) == QLatin1Char(':')) {
        const QString rest = text.mid(2);
        if (rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/')))
            return DriveTable::cleanDos(text);
        if (rest.isEmpty() || rest.startsWith(QLatin1Char(' ')))
            return table.currentFolder(letter);
        return DriveTable::cleanDos(table.currentFolder(letter) + QLatin1Char('\\') + rest);
    }
    if (letter.isNull() || text.size() > 1)
        return DriveTable::cleanDos(base + QLatin1Char('\\') + text);
    return table.currentFolder(letter);
}

// Checks that a folder can be opened; throws the failure a trapping handler expects otherwise.
QString openableNative(const QString &dosPath)
{
    const DriveTable &table = DriveTable::instance();
    const QChar letter = DriveTable::driveLetterOf(dosPath);
    if (letter.isNull() || !table.drive(letter))
        throw Failure(QStringLiteral("Device unavailable: %1").arg(dosPath));
    if (!table.isReady(letter))
        throw Failure(QStringLiteral("Device unavailable: %1").arg(dosPath));
    const QString native = table.toNative(dosPath);
    if (!canOpenFolder(native))
        throw Failure(QStringLiteral("Path not found: %1").arg(dosPath));
    return native;
}

void configureList(QListView *view)
{
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setTextElideMode(Qt::ElideRight);
}

} // namespace

// ---- drive list

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent)
{
    fill(DriveTable::instance().currentDrive());
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index == m_lastIndex)
            return;
        m_lastIndex = index;
        Q_EMIT Change();
    });
}

void DriveListBox::fill(QChar select)
{
    m_filling = true;
    clear();
    for (const platform::Drive &d : DriveTable::instance().drives()) {
        const bool fixed = d.letter == QLatin1Char('C') || d.letter == QLatin1Char('Z');
        addItem(driveIcon(!fixed), DriveTable::designation(d), QVariant(d.letter));
    }
    int index = indexOfLetter(select);
    if (index < 0)
        index = indexOfLetter(DriveTable::instance().currentDrive());
    setCurrentIndex(index);
    m_lastIndex = currentIndex();
    m_filling = false;
}

int DriveListBox::indexOfLetter(QChar letter) const
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toChar() == letter)
            return i;
    }
    return -1;
}

QString DriveListBox::Drive() const
{
    return currentText();
}

void DriveListBox::setDrive(const QString &text)
{
    const QChar letter = DriveTable::driveLetterOf(text);
    const int index = letter.isNull() ? -1 : indexOfLetter(letter);
    if (index < 0)
        throw Failure(QStringLiteral("Device unavailable: %1").arg(text));
    setCurrentIndex(index); // raises Change through currentIndexChanged when it differs
}

void DriveListBox::Refresh()
{
    DriveTable::rescan();
    const QVariant letter = itemData(currentIndex());
    fill(letter.isValid() ? letter.toChar() : QChar());
}

// ---- what both lists share

PathListView::PathListView(QWidget *parent) : QListView(parent)
{
    configureList(this);
    m_path = DriveTable::instance().currentDosFolder();
}

bool PathListView::movePath(const QString &path)
{
    const QString dos = fullDosPath(path, m_path);
    openableNative(dos);
    if (dos == m_path)
        return false;
    m_path = dos;
    reload();
    return true;
}

void PathListView::setListModel(QAbstractItemModel *model)
{
    setModel(model);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_reloading)
            Q_EMIT Click();
    });
}

QItemSelectionModel::SelectionFlags PathListView::selectionCommand(const QModelIndex &index,
                                                                  const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

void PathListView::reload()
{
    m_reloading = true;
    readEntries();
    m_reloading = false;
}

// ---- folder list

int FolderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_paths.size());
}

QVariant FolderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_paths.size())
        return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return m_names.at(row);
    case Qt::ToolTipRole:
        return m_paths.at(row);
    case Qt::DecorationRole:
        return folderIcon(row <= m_openRow);
    case LevelRole:
        return m_levels.at(row);
    default:
        return QVariant();
    }
}

void FolderModel::load(const QString &dosPath)
{
    beginResetModel();
    m_paths.clear();
    m_names.clear();
    m_levels.clear();

    const QString root = dosPath.left(3);
    m_paths << root;
    m_names << root.toLower();
    m_levels << 0;
    const QStringList parts = dosPath.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString path = root;
    int level = 1;
    for (const QString &part : parts) {
        if (!path.endsWith(QLatin1Char('\\')))
            path += QLatin1Char('\\');
        path += part;
        m_paths << path;
        m_names << part;
        m_levels << level++;
    }
    m_openRow = int(m_paths.size()) - 1;

    const QString native = DriveTable::instance().toNative(dosPath);
    const FolderListing listing = readFolder(native, QString(), int(ListWhat::Folders));
    const QString prefix = dosPath.endsWith(QLatin1Char('\\')) ? dosPath : dosPath + QLatin1Char('\\');
    for (const QString &name : listing.folders) {
        m_paths << prefix + name;
        m_names << name;
        m_levels << level;
    }
    endResetModel();
}

QString FolderModel::pathAt(int row) const
{
    return row >= 0 && row < m_paths.size() ? m_paths.at(row) : QString();
}

DirListBox::DirListBox(QWidget *parent) : PathListView(parent), m_model(new FolderModel(this))
{
    setListModel(m_model);
    setItemDelegate(new IndentDelegate(this));
    reload();
}

void DirListBox::setPath(const QString &path)
{
    if (movePath(path))
        Q_EMIT Change();
}

int DirListBox::ListIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int DirListBox::ListCount() const
{
    return m_model->rowCount();
}

QString DirListBox::List(int index) const
{
    return m_model->pathAt(index);
}

void DirListBox::Refresh()
{
    reload();
}

void DirListBox::readEntries()
{
    m_model->load(m_path);
    // the open folder's own row stays current, so that taking the focus never moves the highlight
    const QModelIndex open = m_model->index(m_model->openRow());
    selectionModel()->setCurrentIndex(open, QItemSelectionModel::ClearAndSelect);
    // a list not yet shown lays itself out when it is; scrolling now would lay it out twice
    if (isVisible())
        scrollTo(open);
}

void DirListBox::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    Q_EMIT MouseUp();
}

void DirListBox::mouseMoveEvent(QMouseEvent *event)
{
    // dragging with a button held would highlight, and so open, every folder passed over
    if (event->buttons() != Qt::NoButton)
        return;
    QListView::mouseMoveEvent(event);
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QString before = m_path;
    QListView::mouseDoubleClickEvent(event);
    if (m_path == before)
        openHighlighted();
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openHighlighted();
        return;
    }
    QListView::keyPressEvent(event);
}

void DirListBox::showEvent(QShowEvent *event)
{
    QListView::showEvent(event);
    scrollTo(m_model->index(m_model->openRow()));
}

void DirListBox::openHighlighted()
{
    const QString target = List(ListIndex());
    if (target.isEmpty())
        return;
    try {
        setPath(target);
    } catch (const Failure &) {
        // the folder went away or cannot be opened: show the folder as it now is
        Beep();
        Refresh();
    }
}

// ---- file list

int FileModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_names.at(index.row());
    return QVariant();
}

void FileModel::setNames(QStringList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

FileListBox::FileListBox(QWidget *parent) : PathListView(parent), m_model(new FileModel(this))
{
    setListModel(m_model);
    reload();
}

void FileListBox::setPath(const QString &path)
{
    if (movePath(path))
        Q_EMIT PathChange();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    reload();
}

QString FileListBox::FileName() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : m_model->names().at(rows.first().row());
}

int FileListBox::ListCount() const
{
    return m_model->rowCount();
}

QString FileListBox::List(int index) const
{
    return index >= 0 && index < m_model->names().size() ? m_model->names().at(index) : QString();
}

void FileListBox::Refresh()
{
    reload();
}

void FileListBox::readEntries()
{
    const QString native = DriveTable::instance().toNative(m_path);
    m_model->setNames(readFolder(native, m_pattern, int(ListWhat::Files)).files);
    selectionModel()->clear();
}

} // namespace platform
