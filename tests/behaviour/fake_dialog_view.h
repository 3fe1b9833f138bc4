#pragma once

// The window as the behaviour sees it, with no toolkit behind it: each
// control's text, state and list, and what the window was asked to do,
// written into the job fakes' shared log so tests can check the order.
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "job_fakes.h"
#include "text/secret.h"
#include "ui/behaviour/dialog_view.h"

namespace trelvo::testing {

class FakeDialogView : public DialogView {
public:
    struct Control {
        std::string text;
        bool enabled = true;
        std::vector<std::string> list;
        int selected = -1;
    };

    explicit FakeDialogView(EventLog& log) : log_(log) {}

    std::string Text(ControlId id) const override { return controls_[id].text; }
    Secret SecretText(ControlId id) const override {
        std::string text = controls_[id].text;
        return Secret(std::move(text));
    }
    void SetText(ControlId id, const std::string& text) override {
        log_.push_back(std::string(TemplateOf(id).name) + " " + text);
        controls_[id].text = text;
    }
    void Enable(ControlId id, bool enable) override { controls_[id].enabled = enable; }
    void SetProgress(int position) override {
        log_.push_back("progress " + std::to_string(position));
        progress = position;
    }
    std::optional<ControlId> FocusedControl() const override { return focus; }
    void SetFocus(ControlId id) override { focus = id; }
    void ClearList(ControlId id) override {
        controls_[id].list.clear();
        Select(id, -1);
    }
    void AppendToList(ControlId id, const std::string& text) override {
        controls_[id].list.push_back(text);
    }
    int ListCount(ControlId id) const override {
        return static_cast<int>(controls_[id].list.size());
    }
    void Select(ControlId id, int index) override {
        Control& box = controls_[id];
        box.selected = index;
        box.text = index >= 0 ? box.list.at(static_cast<std::size_t>(index)) : std::string();
    }
    int Selected(ControlId id) const override { return controls_[id].selected; }
    std::optional<ChosenFile> ChooseFile(const std::string& title,
                                         const std::string& filter) override {
        fileDialogs.push_back(title + "|" + filter);
        return chosenFile;
    }
    void MakeCurrentFolder(const std::string& folder) override {
        log_.push_back("current folder " + folder);
    }
    void ShowMessage(const std::string& text) override {
        log_.push_back("message " + text);
        messages.push_back(text);
    }
    void PostClose() override { log_.push_back("post close"); }
    void EndDialog() override { log_.push_back("end dialog"); }

    // What the operator does to the controls.
    Control& operator[](ControlId id) { return controls_[id]; }
    bool Enabled(ControlId id) const { return controls_[id].enabled; }
    bool InputsEnabled() const {
        return std::all_of(kInputs.begin(), kInputs.end(),
                           [this](ControlId id) { return controls_[id].enabled; });
    }
    bool InputsDisabled() const {
        return std::none_of(kInputs.begin(), kInputs.end(),
                            [this](ControlId id) { return controls_[id].enabled; });
    }

    static constexpr std::array<ControlId, 6> kInputs{IDC_PASSWORD,  IDC_UPDATE_CODE, IDC_BROWSE,
                                                      IDC_LINK_KIND, IDC_ADDRESS,     IDC_START};

    std::optional<ControlId> focus = IDC_PASSWORD;
    int progress = 0;
    std::optional<ChosenFile> chosenFile;
    std::vector<std::string> fileDialogs;
    std::vector<std::string> messages;

private:
    EventLog& log_;
    mutable std::map<ControlId, Control> controls_;
};

}  // namespace trelvo::testing
