#pragma once

#include <QString>

#include <span>

namespace Kernwick {

/// The pages of the configuration editor, in the order of their tabs.
enum class ConfigPage
{
    Mode,
    Display,
    DisplaySize,
    AuxOutput,
    Blink,
    Comm
};

inline constexpr int ConfigPageCount = 6;

/// The tab label of a page ("&Mode", "&Display", "Display Size", "Auxillary
/// Output", "Blink", "Comm").
const char *configPageTitle(ConfigPage page);

/// The note the Display page carries under its insertion rates.
inline constexpr char InsertionRateNote[] =
    "Note: NTSC and PAL insertion rates are expressed in percentages. Actual value sent to "
    "ZUVO is value shown times 1000.";

/// How a parameter is shown and set.
enum class ControlKind
{
    Checkbox,   ///< 0 clear, 1 checked
    RadioGroup, ///< the index of the chosen button
    Number,     ///< an integer field with a spin control
    CommParams  ///< the "Data Bits", "Parity", "Stop Bits" groups and "Echo On" (42)
};

/// One parameter as the editor presents it. A number's spin range bounds only the
/// spin arrows: a typed or loaded value is taken as it is.
struct ConfigParameter
{
    int number;
    const char *caption;
    ControlKind kind;
    ConfigPage page;
    std::span<const char *const> choices; ///< radio buttons, in index order
    int spinLowest = 0;                   ///< Number only
    int spinHighest = 0;                  ///< Number only
    bool spinWraps = false;               ///< Number only: the arrows wrap at the ends
};

/// The 41 parameters, page by page in tab order, each page's parameters in the
/// order the page lists them.
std::span<const ConfigParameter> configParameters();

/// The parameter `number`, or nullptr when it is not one of the 41.
const ConfigParameter *findConfigParameter(int number);

/// One of the groups that set a field of "Communication Parameters (42)".
struct CommParamsGroup
{
    const char *caption;
    std::span<const char *const> choices; ///< in the order of the field's codes
};

/// "Data Bits" ("8" is 0, "7 " is 1), "Parity" (the board's codes "Even" 0 to
/// "None" 4) and "Stop Bits" ("1", "1.5", "2"), in this order.
std::span<const CommParamsGroup> commParamsGroups();

/// The checkbox that sets the echo bit of parameter 42.
inline constexpr char EchoOnCaption[] = "Echo On";

} // namespace Kernwick
