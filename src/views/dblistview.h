#pragma once

#include <QIcon>
#include <QList>
#include <QTreeWidget>

namespace qm {

class Database;
class StoreQuery;
class TDBListView;

// What an item of a TDBListView knows of its row.
struct TListNodeInfo
{
    QString id;
    QString changeType;
    QString type;
    QString name;
};

// An item of a TDBListView; it owns its record.
class TListItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 32;

    explicit TListItem(const TListNodeInfo &info);

    TListNodeInfo info;
    int imageIndex() const { return m_image; }

    // Columns order with the locale's collation.
    bool operator<(const QTreeWidgetItem &other) const override;

private:
    friend class TDBListView;
    int m_image = 0;
};

// A two-column report list ("Description", "Change Type") of the rows of a
// query, such as the transactions linked to a file. Clicking a column header
// sorts by it; clicking again reverses.
class TDBListView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit TDBListView(QWidget *parent = nullptr);
    ~TDBListView() override;

    void setDatabase(Database *db) { m_db = db; }
    void setIDataSource(const StoreQuery *query) { m_iSource = query; }
    const StoreQuery *IDataSource() const { return m_iSource; }
    void setFieldId(const QString &f) { m_fieldId = f; }
    QString FieldId() const { return m_fieldId; }
    void setFieldName(const QString &f) { m_fieldName = f; }
    QString FieldName() const { return m_fieldName; }
    void setFieldType(const QString &f) { m_fieldType = f; }
    QString FieldType() const { return m_fieldType; }
    void setFieldIType(const QString &f) { m_fieldIType = f; }
    QString FieldIType() const { return m_fieldIType; }
    void setWidthCol1(int w) { m_widthCol1 = w; }
    int WidthCol1() const { return m_widthCol1; }
    void setWidthCol2(int w) { m_widthCol2 = w; }
    int WidthCol2() const { return m_widthCol2; }
    void setImages(const QList<QIcon> &images) { m_images = images; }

    // Rebuilds every item from the query; nothing happens without a query
    // or an open database.
    void Load();
    void Clear();
    // Appends a copy of an item of another list: record, texts and image.
    TListItem *CopyItem(const TListItem *source);
    void RemoveItem(TListItem *item);
    static QString ItemId(const QTreeWidgetItem *item);
    void SortByCaption();
    void SetItemImage(TListItem *item, int imageIndex);

    static TListItem *ItemOf(QTreeWidgetItem *item);
    // "Add", "Modify", "Delete", or "None" for any other code.
    static QString ChangeTypeCaption(const QString &code);

signals:
    // Raised for every item loaded, so the owner can choose its image.
    void OnGetImage(qm::TDBListView *list, qm::TListItem *item);
    // The selection changed; not raised while the list loads or clears.
    void OnChange(qm::TDBListView *list);

private:
    void resetColumns();

    Database *m_db = nullptr;
    const StoreQuery *m_iSource = nullptr;
    QString m_fieldId;
    QString m_fieldName;
    QString m_fieldType;
    QString m_fieldIType;
    int m_widthCol1 = 200;
    int m_widthCol2 = 80;
    QList<QIcon> m_images;
    int m_changeLock = 0;
};

} // namespace qm
