#pragma once

#include <QBoxLayout>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

namespace quorvel {

// A list rebuilt from a collection by identity: the row of a key that stays is
// kept and updated in place, so a redraw every second neither flickers nor
// loses the hover; rows of keys that left are deleted, new keys get new rows,
// and the order follows the collection.
template <typename Item, typename Key> class KeyedRows {
public:
    using KeyOf = std::function<Key(const Item &)>;
    using MakeRow = std::function<QWidget *(const Item &)>;
    using UpdateRow = std::function<void(QWidget *, const Item &)>;

    KeyedRows(QBoxLayout *layout, KeyOf keyOf, MakeRow makeRow, UpdateRow updateRow)
        : layout_(layout)
        , keyOf_(std::move(keyOf))
        , makeRow_(std::move(makeRow))
        , updateRow_(std::move(updateRow)) {}

    void show(const std::vector<Item> &items) {
        std::map<Key, QWidget *> kept;
        std::vector<QWidget *> order;
        for (const Item &item : items) {
            const Key key = keyOf_(item);
            if (kept.count(key)) continue; // a repeated key shows once
            QWidget *row = nullptr;
            if (auto found = rows_.find(key); found != rows_.end()) {
                row = found->second;
                rows_.erase(found);
                updateRow_(row, item);
            } else {
                row = makeRow_(item);
            }
            kept.emplace(key, row);
            order.push_back(row);
        }
        for (auto &[key, row] : rows_) delete row;
        rows_ = std::move(kept);
        for (int i = 0; i < static_cast<int>(order.size()); ++i) {
            if (layout_->indexOf(order[i]) != i) {
                layout_->removeWidget(order[i]);
                layout_->insertWidget(i, order[i]);
            }
        }
    }

    QWidget *row(const Key &key) const {
        auto found = rows_.find(key);
        return found == rows_.end() ? nullptr : found->second;
    }
    std::size_t size() const { return rows_.size(); }

private:
    QBoxLayout *layout_;
    KeyOf keyOf_;
    MakeRow makeRow_;
    UpdateRow updateRow_;
    std::map<Key, QWidget *> rows_;
};

} // namespace quorvel
