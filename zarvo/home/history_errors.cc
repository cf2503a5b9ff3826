#include "zarvo/home/history.h"

namespace zarvo {

namespace {

class HistoryCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "zarvo.history"; }
  std::string message(int code) const override {
    switch (static_cast<HistoryErrc>(code)) {
      case HistoryErrc::nothingToUndo: return "nothing to undo";
      case HistoryErrc::changedSince: return "changed by another program since";
      case HistoryErrc::unreadableEntry: return "a history entry cannot be read";
      case HistoryErrc::tooLarge: return "the change was too large to keep";
      case HistoryErrc::cannotRecord: return "the history of the change cannot be kept";
      case HistoryErrc::nothingToRedo: return "nothing to redo";
    }
    return "history error";
  }
};

}  // namespace

const std::error_category& historyCategory() {
  static const HistoryCategory category;
  return category;
}

std::error_code make_error_code(HistoryErrc code) { return {static_cast<int>(code), historyCategory()}; }

}  // namespace zarvo
