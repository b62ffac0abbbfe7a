#include "shell/panel_layout.h"

namespace {
constexpr int ToggleOffset = 30;
constexpr int CaptionOffset = 60;
// Hiding the properties panel keeps 50 twips of it below the strip.
constexpr int PropertiesHeightAllowance = 50;
} // namespace

void ToggleListPanel(PanelLayout& layout) {
    if (layout.listPanelVisible) {
        layout.listPanelVisible = false;
        layout.propertiesStripTop = layout.listPanelTop;
        layout.windowHeight -= layout.listPanelHeight;
    } else {
        layout.listPanelVisible = true;
        layout.propertiesStripTop = layout.listPanelTop + layout.listPanelHeight;
        layout.windowHeight += layout.listPanelHeight;
    }
    layout.propertiesToggleTop = layout.propertiesStripTop + ToggleOffset;
    layout.propertiesPanelTop = layout.propertiesStripTop + layout.propertiesStripHeight;
    layout.propertiesCaptionTop = layout.propertiesStripTop + CaptionOffset;
}

void TogglePropertiesPanel(PanelLayout& layout) {
    const int change = layout.propertiesPanelHeight - PropertiesHeightAllowance;
    layout.propertiesPanelVisible = !layout.propertiesPanelVisible;
    layout.windowHeight += layout.propertiesPanelVisible ? change : -change;
}

void TogglePanel(PanelLayout& layout, int index) {
    if (index == 0)
        ToggleListPanel(layout);
    else
        TogglePropertiesPanel(layout);
}

bool PanelVisible(const PanelLayout& layout, int index) {
    return index == 0 ? layout.listPanelVisible : layout.propertiesPanelVisible;
}

ToggleLook ToggleLookFor(ToggleEvent event, bool panelVisible) {
    if (event == ToggleEvent::Press)
        return {true, panelVisible ? 2 : 0};
    return {false, panelVisible ? 0 : 2};
}
