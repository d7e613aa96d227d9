#pragma once

#include "store/dialogservice.h"

#include <QFileDialog>

namespace qm {

// The program's folder chooser. Selecting an existing folder and pressing
// "Select" chooses that folder (a plain file dialog would open it instead);
// with nothing selected, "Select" chooses the folder being shown. In AllowNew
// mode the user may also type the name of a folder that does not exist yet:
// the caller asks before creating it.
class DirectoryChooser : public QFileDialog
{
    Q_OBJECT

public:
    DirectoryChooser(QWidget *parent, const QString &caption, const QString &start, DirectoryMode mode);

    // The chosen folder after the dialog was accepted, as an absolute path.
    QString chosenDirectory() const { return m_chosen; }

    void accept() override;

private:
    QString typedOrSelectedPath() const;
    void updateSelectButton();

    DirectoryMode m_mode;
    QString m_chosen;
};

} // namespace qm
