#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/fleet/fleet_settings.h"
#include "ui/fleet/fleet_view.h"

namespace trelvo::testing {

// The fleet window's controls as plain values, with the operator's answers
// to its dialogs queued by the test.
class FakeFleetView final : public FleetView {
public:
    std::string Text(FleetControl control) const override {
        const auto found = texts.find(control);
        return found == texts.end() ? std::string() : found->second;
    }
    Secret SecretText(FleetControl control) const override {
        std::string text = Text(control);
        Secret secret;
        secret.Take(text);
        return secret;
    }
    void ClearSecret(FleetControl control) override { texts.erase(control); }
    void SetText(FleetControl control, const std::string& text) override { texts[control] = text; }
    void Enable(FleetControl control, bool enable) override { enabled[control] = enable; }
    void SetFocus(FleetControl control) override { focus = control; }
    void SetChoices(FleetControl, const std::vector<std::string>& texts) override {
        filterChoices = texts;
    }
    int Choice(FleetControl) const override { return filter; }
    void SetChoice(FleetControl, int index) override { filter = index; }
    void SetColumnTitles(const std::vector<std::string>& titles) override { columnTitles = titles; }
    void SetSortIndicator(int column, bool ascending) override {
        sortColumn = column;
        sortAscending = ascending;
    }
    void RowsReset() override { ++resets; }
    void RowsChanged(int first, int last) override { changed.emplace_back(first, last); }
    int CurrentRow() const override { return current; }

    std::optional<std::string> ChooseFile(FleetFile kind, bool save, const std::string&,
                                          const std::string& filter, const std::string& folder,
                                          const std::string&) override {
        fileDialogs.push_back({kind, save, filter, folder});
        return Next(files);
    }
    std::optional<AddedRecorders> AskRecorders() override { return Next(added); }
    bool Confirm(const std::string& text) override {
        questions.push_back(text);
        return Next(answers).value_or(false);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void CopyText(const std::string& text) override { clipboard = text; }
    void CloseWindow() override { closed = true; }

    bool IsEnabled(FleetControl control) const {
        const auto found = enabled.find(control);
        return found == enabled.end() || found->second;
    }

    struct FileDialog {
        FleetFile kind;
        bool save;
        std::string filter;
        std::string folder;
    };

    std::map<FleetControl, std::string> texts;
    std::map<FleetControl, bool> enabled;
    std::optional<FleetControl> focus;
    std::vector<std::string> filterChoices;
    int filter = 0;
    std::vector<std::string> columnTitles;
    int sortColumn = -1;
    bool sortAscending = true;
    int resets = 0;
    std::vector<std::pair<int, int>> changed;
    int current = -1;
    // The operator's answers, first come first served; none left: cancel.
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<AddedRecorders>> added;
    std::deque<std::optional<bool>> answers;
    std::vector<FileDialog> fileDialogs;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::string clipboard;
    bool closed = false;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        std::optional<T> next = std::move(queue.front());
        queue.pop_front();
        return next;
    }
};

class MemorySettings final : public FleetSettings {
public:
    std::optional<std::string> Value(const std::string& key) const override {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void SetValue(const std::string& key, const std::string& value) override {
        values[key] = value;
    }
    std::map<std::string, std::string> values;
};

}  // namespace trelvo::testing
