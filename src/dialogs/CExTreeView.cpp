#include "dialogs/CExTreeView.h"

#include "dialogs/DialogTexts.h"
#include "foundation/LanguageTexts.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>

namespace {

constexpr int kColumns = 4;
constexpr int kTimeRole = Qt::UserRole;

// A row that sorts as a user reads it: names whatever their case, times by
// the time (their texts have no zero padding), sizes by their padded texts.
class ModelRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 3)
            return data(3, kTimeRole).toDateTime() < other.data(3, kTimeRole).toDateTime();
        if (column == 2)
            return QTreeWidgetItem::operator<(other);
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

CExTreeView::CExTreeView(const QString& folder, const LanguageTexts& texts, QWidget* parent)
    : QTreeWidget(parent)
    , m_texts(texts)
    , m_dir(folder)
    , m_sPath(folder) {
    setColumnCount(kColumns);
    setRootIsDecorated(false);
    QStringList headers;
    const DialogTexts group(m_texts, "CExTreeView", "CExTreeView");
    const char* const headerKeys[kColumns] = { "s0", "s1", "s2", "s3" };
    for (int i = 0; i < kColumns; ++i)
        headers << group.Get(headerKeys[i]);
    setHeaderLabels(headers);
    header()->setDefaultAlignment(Qt::AlignCenter);
    for (int i = 0; i < kColumns; ++i)
        setColumnWidth(i, 120);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    Refresh();
}

QString CExTreeView::f_IsIveOrOsg(const QString& name) const {
    if (name.size() < 5 || name.at(name.size() - 4) != QLatin1Char('.'))
        return QString();
    const QString extension = name.right(3).toLower();
    const char* key = nullptr;
    QString fallback;
    if (extension == QLatin1String("ive")) {
        key = "sIve";
        fallback = QStringLiteral("IVE");
    } else if (extension == QLatin1String("osg")) {
        key = "sOsg";
        fallback = QStringLiteral("OSG");
    } else {
        return QString();
    }
    const QString text = m_texts.GetText("CExTreeView", "f_IsIveOrOsg", key);
    return text.isEmpty() ? fallback : text;
}

void CExTreeView::FormatFileInfo(const QFileInfo& info, QString& size, QString& time) {
    size = QString::number(info.size() / 1024 + 1) + QStringLiteral(" KB");
    const QDateTime modified = info.lastModified();
    const QDate date = modified.date();
    time = QStringLiteral("%1-%2-%3 %4")
               .arg(date.year())
               .arg(date.month())
               .arg(date.day())
               .arg(modified.time().toString(QStringLiteral("hh:mm:ss")));
}

void CExTreeView::Refresh(const QString& select) {
    clear();
    // Rows are added unsorted and sorted once they are all in.
    setSortingEnabled(false);
    QTreeWidgetItem* selected = nullptr;
    int longest = 0;
    const QFileInfoList entries = m_dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        const QString type = f_IsIveOrOsg(entry.fileName());
        if (type.isEmpty())
            continue;
        QString size;
        QString time;
        FormatFileInfo(entry, size, time);
        longest = qMax(longest, int(size.size()));
        auto* item = new ModelRow(this, QStringList { entry.fileName(), type, size, time });
        item->setData(3, kTimeRole, entry.lastModified());
        if (!select.isEmpty() && entry.fileName() == select)
            selected = item;
    }
    // Sizes padded to one width sort as numbers and line up on the right.
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        item->setText(2, item->text(2).rightJustified(longest, QLatin1Char(' ')));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    setSortingEnabled(true);
    for (int i = 0; i < kColumns; ++i)
        resizeColumnToContents(i);
    if (!selected && topLevelItemCount() > 0)
        selected = topLevelItem(0);
    if (selected)
        setCurrentItem(selected);
}

QString CExTreeView::GetCurrentName() const {
    const QTreeWidgetItem* item = currentItem();
    return item ? item->text(0) : QString();
}

bool CExTreeView::RemoveFile() {
    const QString name = GetCurrentName();
    if (name.isEmpty() || !m_dir.remove(name))
        return false;
    Refresh();
    return true;
}
