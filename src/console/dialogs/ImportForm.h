#pragma once
// The preview of a show script before it replaces the current slot's scenario: every cue it
// gives (ignition time, effect time, module, channel, effect, position) and every row it
// refused with its line and reason. The layout, rail size and frame rate can be changed and
// the file is read again; nothing is loaded unless the operator accepts.

#include "console/dialogs/AuxForm.h"
#include "show/import/ShowImport.h"

#include <optional>
#include <string>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace kv {

class TImportForm : public TAuxForm {
public:
    // bytes: the whole file at path.
    TImportForm(QWidget* mainForm, std::string path, std::string bytes);

    // The accepted import, or nullopt when cancelled.
    std::optional<TImportResult> Ask();

private:
    void Read();
    void SaveScenario();

    const std::string path_;
    const std::string bytes_;
    TImportResult result_;

    QComboBox* format_ = nullptr;
    QSpinBox* railSize_ = nullptr;
    QDoubleSpinBox* fps_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeWidget* cues_ = nullptr;
    QTreeWidget* refused_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* accept_ = nullptr;
};

}  // namespace kv
