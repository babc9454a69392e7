#include "ui/FileTableModel.h"

#include "ui/KeyMark.h"
#include "ui/RunTexts.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace lockleaf
{

namespace
{

struct ColumnInfo {
    const char *identifier;
    const char *title;
    const char *sortKey;
};

constexpr ColumnInfo kColumns[FileTableModel::ColumnCount] = {
    {"isselected", "", "isSelected"},
    {"name", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Name"), "name"},
    {"pages", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Pages"), "pages"},
    {"sizeInKB", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Size"), "size"},
    {"type", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Type"), "type"},
    {"dateModified", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Date Modified"), "dateModified"},
    {"dateCreated", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Date Created"), "dateCreated"},
    {"dateAccessed", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Date Accessed"), "dateAccessed"},
    {"location", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Location"), "location"},
    {"status", QT_TRANSLATE_NOOP("lockleaf::FileTableModel", "Status"), "lastOutcome"},
};

// One precomputed sort key, read once per item and per sort, never inside the
// comparison. Plain-ASCII text also keeps its lower-case form: two such keys
// then compare with a plain comparison, which gives the same answer as the
// case-insensitive one, many times faster on long shared path prefixes.
struct SortKey {
    qint64 number = std::numeric_limits<qint64>::min();
    QString text;
    QString asciiLower; // set only when `text` is plain ASCII
};

bool isAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

SortKey makeKey(const QVariant &value)
{
    SortKey key;
    if (!value.isValid() || value.isNull())
        return key;
    switch (value.typeId()) {
    case QMetaType::QString:
        key.text = value.toString();
        if (isAscii(key.text))
            key.asciiLower = key.text.toLower();
        key.number = 0;
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.isValid())
            key.number = dt.toMSecsSinceEpoch();
        break;
    }
    default:
        key.number = value.toLongLong();
        break;
    }
    return key;
}

int compareKeys(const SortKey &a, const SortKey &b)
{
    if (a.number != b.number)
        return a.number < b.number ? -1 : 1;
    if (!a.asciiLower.isNull() && !b.asciiLower.isNull())
        return a.asciiLower.compare(b.asciiLower);
    return QString::compare(a.text, b.text, Qt::CaseInsensitive);
}

bool validColumn(int column)
{
    return column >= 0 && column < FileTableModel::ColumnCount;
}

QString fileNameOf(const FileItem &item)
{
    return QFileInfo(item.filePath().toLocalFile()).fileName();
}

// The name cell of a signed file says so: rewriting it would break its signatures.
QString signedName(const QString &name)
{
    return name + (name.endsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ")) +
           FileTableModel::tr("(Signed)");
}

// The file's name with the secured marker, in the user's language.
QString shownName(const FileItem &item)
{
    return item.isSecured() ? fileNameOf(item) + FileTableModel::tr(" (SECURED) ") : fileNameOf(item);
}

} // namespace

FileTableModel::FileTableModel(QList<FileItemPtr> &files, QObject *parent)
    : QAbstractTableModel(parent), m_files(files)
{
    for (const FileItemPtr &item : m_files)
        m_runningPages += item ? item->pages() : 0;
}

FileTableModel::~FileTableModel() = default;

QString FileTableModel::columnIdentifier(int column)
{
    return validColumn(column) ? QString::fromLatin1(kColumns[column].identifier) : QString();
}

QString FileTableModel::sortKeyForColumn(int column)
{
    return validColumn(column) ? QString::fromLatin1(kColumns[column].sortKey) : QString();
}

int FileTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_files.size());
}

int FileTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

FileItemPtr FileTableModel::itemAt(int row) const
{
    return row >= 0 && row < m_files.size() ? m_files.at(row) : FileItemPtr();
}

QVariant FileTableModel::data(const QModelIndex &index, int role) const
{
    const FileItemPtr item = index.isValid() ? itemAt(index.row()) : FileItemPtr();
    if (!item)
        return {};
    const int column = index.column();
    if (column == CheckColumn) {
        if (role == Qt::CheckStateRole)
            return item->isSelected() ? Qt::Checked : Qt::Unchecked;
        // A bare check box says nothing to a screen reader about whose it is.
        if (role == Qt::AccessibleTextRole)
            return (item->isSelected() ? tr("Checked: %1") : tr("Not checked: %1")).arg(fileNameOf(*item));
        if (role == Qt::AccessibleDescriptionRole)
            return tr("Only checked files are processed");
        return {};
    }
    // The secured marker is shown in capitals, which a screen reader spells out.
    if (role == Qt::AccessibleTextRole && column == NameColumn)
        return (item->isSecured() ? tr("%1, secured").arg(fileNameOf(*item)) : fileNameOf(*item)) +
               (item->isSigned() ? tr(", digitally signed") : QString()) +
               (item->hasOwnPasswords() ? tr(", has its own password") : QString());
    // Only that it has one: a password itself is never shown.
    if (column == NameColumn && item->hasOwnPasswords()) {
        if (role == Qt::DecorationRole)
            return keyMarkIcon();
        if (role == Qt::ToolTipRole)
            return data(index, Qt::DisplayRole).toString() + QLatin1Char('\n') + tr("Has its own password");
    }
    if (column == StatusColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return shownOutcome(item->lastOutcome());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && column != NameColumn && column != LocationColumn)
            return {};
        if (column == NameColumn)
            return item->isSigned() ? signedName(shownName(*item)) : shownName(*item);
        return item->displayField(columnIdentifier(column));
    case Qt::TextAlignmentRole:
        if (column == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool FileTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const FileItemPtr item = index.isValid() ? itemAt(index.row()) : FileItemPtr();
    // Only the check column is editable; an edit of any other cell is ignored.
    if (!item || index.column() != CheckColumn || role != Qt::CheckStateRole)
        return false;
    item->setIsSelected(value.value<Qt::CheckState>() == Qt::Checked ||
                        (value.typeId() == QMetaType::Bool && value.toBool()));
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    Q_EMIT checkEdited();
    return true;
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == CheckColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !validColumn(section))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return *kColumns[section].title ? tr(kColumns[section].title) : QString();
    if (role == IdentifierRole)
        return columnIdentifier(section);
    if (role == Qt::TextAlignmentRole && section == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void FileTableModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = validColumn(column) ? column : -1;
    m_sortOrder = order;
    sortFiles();
}

void FileTableModel::sortFiles()
{
    if (m_sortColumn < 0 || m_files.size() < 2)
        return;
    const QString key = sortKeyForColumn(m_sortColumn);
    const qsizetype n = m_files.size();

    std::vector<SortKey> keys;
    keys.reserve(size_t(n));
    for (const FileItemPtr &item : std::as_const(m_files))
        keys.push_back(item ? makeKey(item->valueForKey(key)) : SortKey());

    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareKeys(keys[size_t(a)], keys[size_t(b)]);
        return descending ? c > 0 : c < 0;
    });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<FileItemPtr> sorted;
    sorted.reserve(n);
    std::vector<int> newRowOf(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i) {
        sorted.append(m_files.at(order[size_t(i)]));
        newRowOf[size_t(order[size_t(i)])] = int(i);
    }
    m_files.swap(sorted);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &idx : from)
        to.append(index(newRowOf[size_t(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileTableModel::appendItem(const FileItemPtr &item)
{
    if (!item)
        return;
    const int row = int(m_files.size());
    beginInsertRows({}, row, row);
    m_files.append(item);
    m_runningPages += item->pages();
    endInsertRows();
}

void FileTableModel::appendItems(const QList<FileItemPtr> &items)
{
    QList<FileItemPtr> present;
    present.reserve(items.size());
    for (const FileItemPtr &item : items)
        if (item)
            present.append(item);
    if (present.isEmpty())
        return;
    const int row = int(m_files.size());
    beginInsertRows({}, row, row + int(present.size()) - 1);
    for (const FileItemPtr &item : std::as_const(present)) {
        m_files.append(item);
        m_runningPages += item->pages();
    }
    endInsertRows();
}

void FileTableModel::applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted)
{
    for (qsizetype i = 0; i < listed.size() && i < counted.size(); ++i) {
        if (!listed.at(i) || !counted.at(i))
            continue;
        const int before = listed.at(i)->pages();
        listed.at(i)->takeCount(*counted.at(i));
        m_runningPages += listed.at(i)->pages() - before;
    }
    // One announcement: the view redraws only what it shows.
    if (!m_files.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_files.size()) - 1, ColumnCount - 1));
}

int FileTableModel::removeRowsAt(const QList<int> &rows)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    int removed = 0;
    // From the bottom up, one contiguous block at a time, so rows above stay valid.
    int i = int(sorted.size()) - 1;
    while (i >= 0) {
        const int last = sorted.at(i);
        int first = last;
        while (i > 0 && sorted.at(i - 1) == first - 1)
            first = sorted.at(--i);
        --i;
        if (first < 0 || last >= m_files.size())
            continue;
        beginRemoveRows({}, first, last);
        for (int r = last; r >= first; --r) {
            const FileItemPtr item = m_files.takeAt(r);
            m_runningPages -= item ? item->pages() : 0;
            ++removed;
        }
        endRemoveRows();
    }
    return removed;
}

void FileTableModel::removeAll()
{
    beginResetModel();
    m_files.clear();
    m_runningPages = 0;
    endResetModel();
}

void FileTableModel::swapWithNext(int row)
{
    if (row < 0 || row + 1 >= m_files.size())
        return;
    // The lower neighbour moves up above `row`.
    beginMoveRows({}, row + 1, row + 1, {}, row);
    m_files.move(row + 1, row);
    endMoveRows();
}

void FileTableModel::changeChecks(const QList<int> &rows, int tag)
{
    if (tag < 1 || tag > 3)
        return;
    int first = -1;
    int last = -1;
    for (int row : rows) {
        const FileItemPtr item = itemAt(row);
        if (!item)
            continue;
        const bool now = tag == 1 ? true : tag == 2 ? false : !item->isSelected();
        if (now == item->isSelected())
            continue;
        item->setIsSelected(now);
        first = first < 0 ? row : std::min(first, row);
        last = std::max(last, row);
    }
    // One announcement for the span of check cells: "check all" on a long list
    // must not send one signal per row.
    if (first >= 0)
        Q_EMIT dataChanged(index(first, CheckColumn), index(last, CheckColumn), {Qt::CheckStateRole});
}

void FileTableModel::refreshAll()
{
    if (m_files.isEmpty())
        return;
    Q_EMIT dataChanged(index(0, 0), index(int(m_files.size()) - 1, ColumnCount - 1));
}

FileTableModel::Totals FileTableModel::recount()
{
    Totals t;
    t.files = int(m_files.size());
    for (const FileItemPtr &item : std::as_const(m_files)) {
        if (!item)
            continue;
        const int pages = item->pages();
        t.pages += pages;
        if (item->isSelected()) {
            ++t.checked;
            t.checkedPages += pages;
        }
    }
    m_runningPages = t.pages;
    return t;
}

} // namespace lockleaf
