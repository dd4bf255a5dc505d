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
class DirListBox : public QListView
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);

    /** The open folder: "C:\" at a drive root, "C:\DATA" below it. */
    QString Path() const { return m_path; }
    /**
     * Opens a folder given as a full path, or a drive ("c:", "c: [label]") meaning that drive's
     * current folder. Raises Change only when the path really changes. Throws Failure, leaving the
     * path as it was, when the drive is not ready or the folder cannot be opened.
     */
    void setPath(const QString &path);
    /** The highlighted entry's index, and the path of the entry at an index. */
    int ListIndex() const;
    int ListCount() const;
    QString List(int index) const;
    /** Reads the folder afresh; the open folder stays and nothing is raised. */
    void Refresh();

Q_SIGNALS:
    void Change();
    void Click();
    void MouseUp();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void reload();
    void highlightOpenFolder();
    void openHighlighted();

    FolderModel *m_model;
    QString m_path;
    bool m_reloading = false;
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
class FileListBox : public QListView
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    /** Shows another folder: re-reads and raises PathChange when the path really changes. */
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
    void Click();
    void PathChange();

private:
    void reload();

    FileModel *m_model;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_reloading = false;
};

} // namespace platform
