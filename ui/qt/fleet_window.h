#pragma once

#include <QWidget>
#include <map>

#include "link/qt/qt_event_loop.h"
#include "ui/fleet/fleet_behaviour.h"
#include "ui/qt/fleet_list_model.h"
#include "ui/qt/fleet_table_view.h"
#include "ui/qt/fleet_window_parts.h"
#include "ui/qt/qt_fleet_view.h"

class QCloseEvent;

namespace trelvo {

// The fleet window as the toolkit draws it: the widgets in their layout,
// each with the name scripts and screen readers know it by, and the
// recorder list over the behaviour's rows. Every command goes to the
// behaviour; the fleet engine runs on this window's own event loop.
class FleetWindow final : public QWidget {
    Q_OBJECT

public:
    explicit FleetWindow(FleetWindowParts parts, QWidget* parent = nullptr);
    ~FleetWindow() override;

    const FleetBehaviour& behaviour() const { return behaviour_; }

protected:
    // Exit, the close box and Alt+F4 all end here: the behaviour says
    // whether the window may close now.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void LayOut();
    void Connect();
    void ShowRowMenu(int row, QPoint where);
    QWidget* Control(FleetControl control) const { return controls_.at(control); }

    // The links' readiness, the ticks and the posted tasks of every run.
    QtEventLoop loop_;
    // Outlive the behaviour's runs.
    FleetWindowParts parts_;
    // Filled as the widgets are made; the view reads it from then on.
    std::map<FleetControl, QWidget*> controls_;
    FleetListModel model_;
    FleetTableView* table_;  // a child of the window
    QtFleetView view_;
    FleetBehaviour behaviour_;
};

}  // namespace trelvo
