#pragma once

// The two panels of the main window under the control panel, the list
// panel `PropertiyFrame` and the properties panel `ListFrame`, each shown
// or hidden by its toggle. All values are twips relative to the client
// area; the window applies them to its controls after each toggle.
struct PanelLayout {
    int listPanelTop = 2280;
    int listPanelHeight = 1695;
    bool listPanelVisible = true;

    int propertiesStripTop = 3975; // `Image1`(1)
    int propertiesStripHeight = 255;
    int propertiesToggleTop = 4000;  // `CloseButtonIamge`(1)
    int propertiesCaptionTop = 4005; // `Label1`
    int propertiesPanelTop = 4245;   // `ListFrame`
    int propertiesPanelHeight = 2895;
    bool propertiesPanelVisible = true;

    // The bottom of the properties panel: the window shows the whole of it
    // at start-up, so with either panel hidden every strip and toggle left
    // still lies inside the window.
    int windowHeight = 7140;
};

// The list toggle (`CloseButtonIamge`(0)). Hiding lifts the properties
// strip to where the list panel begins, showing puts it back below it; the
// properties toggle, caption and panel then follow the strip by fixed
// offsets (30, 60, and the strip's height), which differ slightly from
// their design positions. The window changes height by the list's height.
void ToggleListPanel(PanelLayout& layout);

// The properties toggle (`CloseButtonIamge`(1)): the panel is last in the
// window, so nothing moves; the window changes height by the panel's
// height less 50, keeping a thin edge of the panel below its strip.
void TogglePropertiesPanel(PanelLayout& layout);

// Index 0 is the list toggle, any other index the properties toggle.
void TogglePanel(PanelLayout& layout, int index);
bool PanelVisible(const PanelLayout& layout, int index);

// Which stored picture a toggle takes when pressed or released. The
// release already shows the normal look of the state the click is about
// to bring, so after a whole click a shown panel's toggle has b0(2) and a
// hidden one's b0(0).
enum class ToggleEvent { Press, Release };
struct ToggleLook {
    bool pressed; // b1 when true, b0 otherwise
    int index;    // element of the store
    bool operator==(const ToggleLook&) const = default;
};
ToggleLook ToggleLookFor(ToggleEvent event, bool panelVisible);
