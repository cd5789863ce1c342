#pragma once

#include <QLocale>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "Model/GovernanceModels.h"
#include "UI/Toolkit/KeyedRows.h"

namespace quorvel {

class ScrollArea;
class TextView;

// The governor's action history, newest first, or a note that there is none.
class HistoryView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximumListHeight = 360;

    HistoryView(std::function<void()> onClose, QWidget *parent = nullptr);

    void setHistory(const std::vector<ActionRecord> &history);

    // The time of day of `timestamp` here, as `locale` writes it briefly.
    static QString timeOfDay(ActionRecord::Clock::time_point timestamp, const QLocale &locale);

    // Shown only while the history is empty.
    TextView *emptyNote() const { return empty_; }
    ScrollArea *list() const { return list_; }
    // The rows in list order.
    std::vector<QWidget *> rows() const;

private:
    using Key = std::pair<uint64_t, uint64_t>;

    TextView *empty_;
    ScrollArea *list_;
    std::vector<ActionRecord> history_;
    std::unique_ptr<KeyedRows<ActionRecord, Key>> rows_;
};

} // namespace quorvel
