#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "Model/AppGroup.h"
#include "UI/GroupRow.h"
#include "UI/Toolkit/KeyedRows.h"

namespace quorvel {

class ProcessGovernor;
class ScrollArea;
class TextView;

// The list of the largest applications: a heading, then either the sampling
// note or up to `kTopCount` rows in a scroll area. Rows are kept by group key
// across samples, so the scroll position, an open menu and the hover stay.
class ApplicationList : public QWidget {
    Q_OBJECT
public:
    static constexpr std::size_t kTopCount = 10;
    static constexpr int kMaximumHeight = 360;

    ApplicationList(const ProcessGovernor &governor, GroupRow::Actions actions,
                    QWidget *parent = nullptr);

    void showGroups(const std::vector<AppGroup> &groups);

    // Null when no row shows that key.
    GroupRow *row(const std::string &key) const;
    std::size_t rowCount() const { return rows_->size(); }
    // Shown while nothing has been sampled yet.
    TextView *samplingNote() const { return sampling_; }
    ScrollArea *scrollArea() const { return scroll_; }

private:
    const ProcessGovernor &governor_;
    TextView *sampling_;
    ScrollArea *scroll_;
    uint64_t maxValue_ = 0;
    std::unique_ptr<KeyedRows<AppGroup, std::string>> rows_;
};

} // namespace quorvel
