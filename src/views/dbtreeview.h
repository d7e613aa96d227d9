#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <functional>
#include <memory>

class QTimer;

namespace qm {

class Database;
class DialogService;
class StoreQuery;
class TableCursor;
class TDBTreeView;
class UpdateSource;

// What a node knows of its record.
struct TNodeInfo
{
    QString key;
    QString parentKey;   // empty in flat lists
    QString type;        // one character each
    QString type2;
    QString type3;
    qint64 value = 0;    // own value plus, with ripple, the descendants' values
    QString name;
    bool uncommitted = false; // the placeholder of a row being inserted
};

// A node of a TDBTreeView. It owns its record; deleting it (or an ancestor)
// takes it out of the view's key index.
class TTreeNode : public QTreeWidgetItem
{
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 31;

    TTreeNode(TDBTreeView *view, const TNodeInfo &info);
    ~TTreeNode() override;
    TTreeNode(const TTreeNode &) = delete;
    TTreeNode &operator=(const TTreeNode &) = delete;

    TNodeInfo info;

    TTreeNode *parentNode() const;
    TTreeNode *childNode(int i) const;
    int imageIndex() const { return m_image; }
    // Drawn dimmed, as a node marked for a cut or a copy.
    bool isCut() const { return m_cut; }

    // Node texts order with the locale's case-sensitive collation.
    bool operator<(const QTreeWidgetItem &other) const override;

    // The text is made from the record when asked for, not kept: a large
    // tree would hold every name twice. A text set from outside (a name
    // being typed) is kept and shown until the view next updates the node.
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

private:
    friend class TDBTreeView;
    TDBTreeView *m_view;
    int m_image = -1;
    bool m_cut = false;
    bool m_ownText = false;
};

enum class TSortType { None, Data, Text, Both };

// Veto before a node's record is deleted; allow starts false.
using TDelRecordEvent = std::function<void(TDBTreeView *sender, const QString &key, bool &allow)>;
// Chooses a node's image (an index into the view's images) from its record.
using TGetImageEvent = std::function<int(const TNodeInfo &info)>;
// A node of the view was dragged onto the node with this key.
using TDropNodeEvent = std::function<void(const QString &targetKey)>;

// A tree of records built from a parent source and an item source, labelled
// with names and values, optionally rippling each value into its ancestors,
// and afterwards kept in step with single-record changes of the table the
// user edits. It knows the records only by the field names it is given.
class TDBTreeView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit TDBTreeView(QWidget *parent = nullptr);
    ~TDBTreeView() override;

    // --- Configuration ---
    void setDatabase(Database *db) { m_db = db; }
    Database *database() const { return m_db; }
    void setIDataSource(const StoreQuery *query) { m_iSource = query; }
    const StoreQuery *IDataSource() const { return m_iSource; }
    void setPDataSource(const StoreQuery *query) { m_pSource = query; }
    const StoreQuery *PDataSource() const { return m_pSource; }
    void setUDataSource(UpdateSource *source);
    void setUDataSource(TableCursor *cursor); // wrapped in a cursor adapter
    UpdateSource *UDataSource() const { return m_uSource; }

    void setFieldId(const QString &f) { m_fieldId = f; }
    QString FieldId() const { return m_fieldId; }
    void setFieldParentId(const QString &f) { m_fieldParentId = f; }
    QString FieldParentId() const { return m_fieldParentId; }
    void setFieldName(const QString &f) { m_fieldName = f; }
    QString FieldName() const { return m_fieldName; }
    void setFieldVal(const QString &f) { m_fieldVal = f; }
    QString FieldVal() const { return m_fieldVal; }
    void setFieldType(const QString &f) { m_fieldType = f; }
    QString FieldType() const { return m_fieldType; }
    void setFieldType2(const QString &f) { m_fieldType2 = f; }
    QString FieldType2() const { return m_fieldType2; }
    void setFieldType3(const QString &f) { m_fieldType3 = f; }
    QString FieldType3() const { return m_fieldType3; }
    void setFieldNullVal(const QString &v) { m_fieldNullVal = v; }
    QString FieldNullVal() const { return m_fieldNullVal; }
    void setFieldValShow(bool on) { m_valShow = on; }
    bool FieldValShow() const { return m_valShow; }
    void setFieldValUnits(const QString &units) { m_units = units; }
    QString FieldValUnits() const { return m_units; }
    void setFieldValRipple(bool on) { m_ripple = on; }
    bool FieldValRipple() const { return m_ripple; }
    void setFilterOn(bool on) { m_filterOn = on; }
    bool FilterOn() const { return m_filterOn; }
    // Text or both re-sorts the whole tree at once; so does data, but only
    // with a compare handler, which this view does not offer.
    void setSortType(TSortType type);
    TSortType SortType() const { return m_sortType; }
    void setNotifyOn(bool on) { m_notifyOn = on; }
    bool NotifyOn() const { return m_notifyOn; }
    void setNotifyCount(int count) { m_notifyCount = count; }
    int NotifyCount() const { return m_notifyCount; }
    // Type code of nodes whose value is the sum of their descendants: a
    // refresh of such a node keeps its value while its type stays.
    void setGroupType(const QString &code) { m_groupType = code; }
    QString GroupType() const { return m_groupType; }

    void setOnBefDelete(TDelRecordEvent handler) { m_onBefDelete = std::move(handler); }
    // Messages go through this service; without one, real message boxes.
    void setDialogs(DialogService *dialogs) { m_dialogs = dialogs; }
    void setImages(const QList<QIcon> &images);
    void setOnGetImage(TGetImageEvent handler) { m_onGetImage = std::move(handler); }
    // Lets the view take drops of its own nodes. What a drop does is the
    // handler's business: the view itself never moves or removes a node.
    void setOnDropNode(TDropNodeEvent handler);
    void setFontColour(const QColor &colour) { m_fontColour = colour; }
    QColor FontColour() const;

    // Key of the selected node; empty when nothing is selected.
    QString ActiveId() const;
    TTreeNode *SelectedNode() const;
    static TTreeNode *NodeOf(QTreeWidgetItem *item);
    // The node now shown in bold, and the placeholder of a row being inserted.
    TTreeNode *BoldNode() const { return m_bold; }
    TTreeNode *UncommittedNode() const { return m_placeholder; }
    int IndexedKeyCount() const { return int(m_index.size()); }

    // --- Building ---
    void LoadTree();
    void ClearTree();
    TTreeNode *FindNodeById(const QString &key);

    // --- Single-record operations ---
    TTreeNode *AddUncommittedNode(const QString &key, const QString &parentKey, const QString &type);
    void DiscardUncommittedNode();
    TTreeNode *AddNodeFromUpdateSource();
    // The same for a row given directly.
    TTreeNode *AddNodeFromRow(const UpdateSource &row);
    // Many rows that go into the tree together (a copied subtree) are built
    // outside it and put in at once: a node for a row, not yet shown, and
    // the subtree of such nodes placed under its root's parent as
    // AddNodeFromUpdateSource places one node, each level in the tree's
    // order, its value rippled up once. Values within the subtree are the
    // caller's (AddToNodeValue works on nodes not yet shown).
    TTreeNode *NewDetachedNode(const UpdateSource &row);
    void AddSubtree(TTreeNode *root);
    void RefreshNodeFromUpdateSource();
    void DeleteSelectedNode();
    void ReparentNode(TTreeNode *node, const QString &newParentKey);
    // Moves a node with its subtree, keeping what was expanded: into target
    // as its first child, or else right after target among its siblings.
    // The caller then records the move with ReparentNode.
    void MoveNode(TTreeNode *node, TTreeNode *target, bool intoTarget);
    void AddToNodeValue(qint64 delta, TTreeNode *node);

    // --- Order, navigation, appearance ---
    void SortAll();
    // Sorts one level only: the children of parent, or the top level.
    void SortChildren(TTreeNode *parent);
    void ExpandOneLevel(TTreeNode *node);
    void CollapseOneLevel(TTreeNode *node);
    // Every node fully, keeping the topmost visible node in place.
    void ExpandAll();
    // Every node fully, then the selection-change handling.
    void CollapseAll();
    TTreeNode *FindText(const QString &text, bool backwards, bool matchCase);
    void RepaintNode(TTreeNode *node);
    void ApplyFontColour();
    // Sets the picture unless the node has it already.
    void SetNodeImage(TTreeNode *node, int imageIndex);
    void SetNodeCut(TTreeNode *node, bool cut);
    // While a node is dragged: near the top edge the view scrolls up by a
    // node, near the bottom edge the node after the one under the pointer
    // comes into view.
    void DragScroll(const QPoint &viewportPos);
    QString NodeText(const TNodeInfo &info) const;
    // Selects a node (or nothing) and runs the selection-change handling.
    void SelectNode(QTreeWidgetItem *node);

signals:
    void OnNotify(qm::TDBTreeView *sender);
    void OnAfterChange(qm::TDBTreeView *sender);

protected:
    // Dragging (dbtreeview_drag.cpp). A node is dragged within the view
    // only, so the gesture is followed here rather than handed to the
    // platform's drag and drop.
    void startDrag(Qt::DropActions supportedActions) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    struct SourceRow;
    struct LoadContext;
    class UpdateLock;
    class ChangeLock;
    friend class TTreeNode;

    // Loading (dbtreeview_load.cpp).
    class RowReader;
    std::vector<SourceRow> readRows(const StoreQuery &query, bool withParent) const;
    TNodeInfo itemInfo(const SourceRow &row) const;
    TNodeInfo parentInfo(const SourceRow &row) const;
    qint64 itemValue(const SourceRow &row) const;
    TTreeNode *AddParent(LoadContext &ctx, const SourceRow &row);
    TTreeNode *FindParentForItem(LoadContext &ctx, const SourceRow &row);
    TTreeNode *addItemNode(LoadContext &ctx, const SourceRow &row, TTreeNode *parent);
    void finishBuild(LoadContext &ctx);
    void advanceNotify();

    // Node and index bookkeeping (dbtreeview.cpp).
    TTreeNode *createNode(const TNodeInfo &info);
    void indexNode(TTreeNode *node);
    // False when another node already holds the key.
    bool indexNode(TTreeNode *node, qint64 key);
    void unindexNode(TTreeNode *node);
    void forgetNode(TTreeNode *node);
    void updateNodeText(TTreeNode *node);
    void chooseImage(TTreeNode *node);
    void applyIcon(TTreeNode *node);
    void showError(const QString &text);
    void showInformation(const QString &text);
    static qint64 keyValue(const QString &key);
    static bool isTopLevelKey(const QString &key);

    // Selection.
    void onCurrentItemChanged(QTreeWidgetItem *current);
    void markBold(QTreeWidgetItem *current);
    void runChangeHandling();
    void selectQuietly(QTreeWidgetItem *node);

    // Single-record helpers (dbtreeview_records.cpp).
    SourceRow updateRow() const;
    SourceRow rowOf(const UpdateSource &source) const;
    void placeNewNode(TTreeNode *node);
    void sortChildrenOf(QTreeWidgetItem *parent);

    // Navigation helpers (dbtreeview_nav.cpp).
    QList<QTreeWidgetItem *> visibleSubtree(QTreeWidgetItem *node) const;
    QTreeWidgetItem *topVisibleItem() const;
    void keepTopVisible(QTreeWidgetItem *top);
    static int depthOf(const QTreeWidgetItem *item);
    QTreeWidgetItem *previousInTreeOrder(QTreeWidgetItem *item) const;
    void collapseFully(QTreeWidgetItem *item);
    void openBranches(const std::vector<QTreeWidgetItem *> &branches);
    void moveSelectionOutOfCollapsed();

    // Drag helpers (dbtreeview_drag.cpp).
    void dragOver(const QPoint &viewportPos);
    void setDropTarget(QTreeWidgetItem *item);
    void endDrag();

    Database *m_db = nullptr;
    const StoreQuery *m_iSource = nullptr;
    const StoreQuery *m_pSource = nullptr;
    UpdateSource *m_uSource = nullptr;
    std::unique_ptr<UpdateSource> m_ownedUSource;
    DialogService *m_dialogs = nullptr;

    QString m_fieldId;
    QString m_fieldParentId;
    QString m_fieldName;
    QString m_fieldVal;
    QString m_fieldType;
    QString m_fieldType2;
    QString m_fieldType3;
    QString m_fieldNullVal;
    QString m_units;
    QString m_groupType = QStringLiteral("G");
    bool m_valShow = false;
    bool m_ripple = false;
    bool m_filterOn = false;
    TSortType m_sortType = TSortType::None;
    bool m_notifyOn = false;
    int m_notifyCount = 0;
    int m_notifyCounter = 0;

    TDelRecordEvent m_onBefDelete;
    TGetImageEvent m_onGetImage;
    TDropNodeEvent m_onDropNode;
    QPersistentModelIndex m_dropTarget;
    QTimer *m_dragScrollTimer = nullptr;
    QPoint m_dragPos;
    bool m_dragging = false;
    QList<QIcon> m_images;
    QColor m_fontColour;

    QHash<qint64, TTreeNode *> m_index;
    TTreeNode *m_bold = nullptr;
    TTreeNode *m_placeholder = nullptr;

    int m_changeLock = 0;
    int m_updateLock = 0;
    bool m_updatesWereEnabled = true;
    bool m_clearing = false;
    bool m_building = false;
    bool m_destroying = false;
};

} // namespace qm
