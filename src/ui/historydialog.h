#pragma once

#include "confighistory.h"

#include <QDialog>

#include <functional>

class DiffView;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// The versions of smb.conf in the history, newest first, with the diff of the selected one
// against the current file or against the version before it, and "Restore this version".
// The dialog only asks: the window restores, then hands it the new list.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    // The unified diff shown for a version: against the current file, or against the version
    // before it (against nothing for the oldest).
    using DiffSource = std::function<QString(int number, bool againstCurrent)>;

    HistoryDialog(const QList<ConfigHistory::Version> &versions, int keep, DiffSource diffOf,
                  QWidget *parent = nullptr);

    void setVersions(const QList<ConfigHistory::Version> &versions);
    // The history's name for Samba's registry configuration: its versions, listed among those
    // of smb.conf, are marked as the registry's.
    void setRegistryFile(const QString &file);
    // The number of the selected version; 0 when none is selected.
    int selectedVersion() const;

signals:
    void restoreRequested(int number);

private:
    void showSelected();
    void updateKept(int count);

    DiffSource m_diffOf;
    QList<ConfigHistory::Version> m_versions;
    QString m_registryFile;
    int m_keep;
    QTreeWidget *m_tree;
    QLabel *m_labelKept;
    QRadioButton *m_againstCurrent;
    DiffView *m_diffView;
    QPushButton *m_restore;
};
