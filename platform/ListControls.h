// The drive list, folder list and file list: the browser controls, over the drive table.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <QStringList>

namespace platform {

/** Drop-down list of the drives. Starts on the process's current drive. */
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    /** The selected drive's designation, "c: [label]". */
    QString Drive() const;
    /** Selects the drive whose letter the text starts with; raises Change when it differs. */
    void setDrive(const QString &text);
    /** Reads the drives afresh; the selection stays and nothing is raised. */
    void Refresh();

Q_SIGNALS:
    void Change();

private:
    void fill(QChar select);
    int indexOfLetter(QChar letter) const;

    bool m_filling = false;
    int m_lastIndex = -1;
};

/** What the folder list and the file list share: an open folder, and a highlight the user moves. */
class PathListView : public QListView
{
    Q_OBJECT
public:
    explicit PathListView(QWidget *parent = nullptr);

    /** The open folder: "C:\" at a drive root, "C:\DATA" below it. */
    QString Path() const { return m_path; }

Q_SIGNALS:
    /** The highlight moved, by a click or the arrow keys; re-reading the list raises nothing. */
    void Click();

protected:
    /** Sets the model and watches the highlight in it. */
    void setListModel(QAbstractItemModel *model);
    /**
     * Moves the list to a folder given as a full path, a drive ("c:", "c: [label]") meaning that drive's
     * current folder, or a path relative to the open folder, and re-reads it. Returns false when it is
     * already there. Throws Failure, leaving the list as it was, when the drive is not ready or the
     * folder cannot be opened.
     */
    bool movePath(const QString &path);
    /** Reads the open folder afresh, without raising Click. */
    void reload();
    virtual void readEntries() = 0;
    /** The highlight can be moved but not taken away (Ctrl+click would clear it). */
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

    QString m_path;

private:
    bool m_reloading = false;
};

/** Model of the folder list: the open folder's ancestors, the folder itself and its subfolders. */
class FolderModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void load(const QString &dosPath); // reads the subfolders of dosPath
    QString pathAt(int row) const;
    int openRow() const { return m_openRow; }

private:
    QStringList m_paths; // DOS path per row
    QStringList m_names; // text per row
    QList<int> m_levels;
    int m_openRow = -1;
};

/** The folder list: one open folder, shown with its ancestors and its subfolders. */
class DirListBox : public PathListView
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);

    /** Opens a folder (see movePath); raises Change only when the path really changes. */
    void setPath(const QString &path);
    /** The highlighted entry's index, and the path of the entry at an index. */
    int ListIndex() const;
    int ListCount() const;
    QString List(int index) const;
    /** Reads the folder afresh; the open folder stays and nothing is raised. */
    void Refresh();

Q_SIGNALS:
    void Change();
    void MouseUp();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void readEntries() override;
    void openHighlighted();

    FolderModel *m_model;
};

/** Model of the file list: a plain list of names. */
class FileModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void setNames(QStringList names);
    const QStringList &names() const { return m_names; }

private:
    QStringList m_names;
};

/** The file list: the files of one folder that match a pattern; hidden files and folders left out. */
class FileListBox : public PathListView
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    /** Shows another folder (see movePath); raises PathChange when the path really changes. */
    void setPath(const QString &path);
    QString Pattern() const { return m_pattern; }
    /** Changes the pattern and re-reads. */
    void setPattern(const QString &pattern);
    /** The highlighted file's bare name; empty when none is highlighted. */
    QString FileName() const;
    int ListCount() const;
    QString List(int index) const;
    /** Reads the folder afresh with the same pattern; nothing is raised. */
    void Refresh();

Q_SIGNALS:
    void PathChange();

private:
    void readEntries() override;

    FileModel *m_model;
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace platform
