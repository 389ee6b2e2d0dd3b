#pragma once

#include <QDir>
#include <QString>
#include <QTreeWidget>

class LanguageTexts;
class QFileInfo;

// The list of the 3-D model files (".ive", ".osg", in any case) of one
// folder: name, type, size in KB and modification time, one row per file.
class CExTreeView : public QTreeWidget {
    Q_OBJECT

public:
    // Lists `folder` at once. The texts must outlive the view.
    CExTreeView(const QString& folder, const LanguageTexts& texts, QWidget* parent = nullptr);

    // Lists the folder afresh; the file named `select` (when listed), else
    // the first row, becomes the current item.
    void Refresh(const QString& select = QString());
    // The current file's name; empty with none.
    QString GetCurrentName() const;
    // Deletes the current file and lists the folder afresh; false (the list
    // left as it was) when there is no current file or it can't be removed.
    bool RemoveFile();

    // The type text of a model file name ("sIve", "sOsg" of the language,
    // "IVE" or "OSG" when it has none); empty for any other name. Whether a
    // file is a model is its extension's to say, never a text's.
    QString f_IsIveOrOsg(const QString& name) const;
    // Column 2: (size / 1024) + 1 and " KB". Column 3: the modification time
    // as year-month-day (no zero padding) and hh:mm:ss.
    static void FormatFileInfo(const QFileInfo& info, QString& size, QString& time);

private:
    const LanguageTexts& m_texts;
    QDir m_dir;
    QString m_sPath;
};
