#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Model/AppGroup.h"
#include "UI/Toolkit/KeyedRows.h"

namespace quorvel {

class StyledButton;

// Choosing the applications focus mode will freeze: one toggle row per
// candidate, and a confirm button that names how many and how much.
class FocusSelectView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximumListHeight = 300;
    static constexpr int kConfirmWidth = 180;

    FocusSelectView(std::function<void()> onConfirm, std::function<void()> onCancel,
                    QWidget *parent = nullptr);

    void setCandidates(const std::vector<AppGroup> &candidates);
    void setSelected(std::set<std::string> selected);
    const std::set<std::string> &selected() const { return selected_; }
    // The candidates whose key is selected, in candidate order.
    std::vector<AppGroup> selectedCandidates() const;
    // Their footprints summed.
    uint64_t selectedTotal() const;

    // Presses the candidate's row; false when no row shows that key.
    bool toggle(const std::string &key);
    std::size_t rowCount() const { return rows_->size(); }
    QWidget *row(const std::string &key) const { return rows_->row(key); }
    StyledButton *confirmButton() const { return confirm_; }
    StyledButton *cancelButton() const { return cancel_; }

private:
    void refresh();

    std::vector<AppGroup> candidates_;
    std::set<std::string> selected_;
    StyledButton *confirm_;
    StyledButton *cancel_;
    std::unique_ptr<KeyedRows<AppGroup, std::string>> rows_;
};

} // namespace quorvel
