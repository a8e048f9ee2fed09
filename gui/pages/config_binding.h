// SPDX-License-Identifier: MIT
// How the configuration pages show a configuration record and build one from
// what the operator typed.
//
// One table binds each control (by its object name) to a record field and a
// conversion rule; showRecord and buildRecord both walk it, so a control shown
// one way is always read back the same way. The wireless, Bluetooth, FTP and
// external-module controls follow enable and visibility rules that depend on
// several fields at once; those are written out below the table walk, in the
// order the pages apply them.
//
// The form itself is reached through ConfigFormView, so every rule here runs
// (and is tested) without a window.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/config/config_record.h"
#include "core/input/input_checks.h"

namespace m350::gui {

enum class BindRule : std::uint8_t {
    kInfoText,     // information box: the text, always
    kInfoCount,    // information box: a counter as a decimal number, always
    kReal,         // general format, up to 15 significant digits; built as typed
    kSpeed,        // as kReal, but the first "," typed counts as the decimal point
    kLengthReal,   // dots shown in the unit with two decimals; built back as real dots
    kLengthInt,    // as kLengthReal, built back as whole dots (truncated)
    kInteger,      // decimal integer
    kCutterPiece,  // integer, shown only while the post-print action is the cutter
    kBase,         // shown only: visible with the number when present and non-zero
    kItemPlusOne,  // list: item = value + 1 (item 0 is the empty item)
    kItem,         // list: item = value
    kCharacter,    // one character
};

struct ConfigBinding {
    std::string_view control;
    Field field;
    BindRule rule;
};

// Common, Z, D and RS-232 pages and the printer information box, in the order
// the controls are shown.
std::span<const ConfigBinding> configBindings();
const ConfigBinding* bindingOfControl(std::string_view control);

// What a number box of the configuration pages takes (lengths in the unit
// chosen); nullopt for boxes that are not numbers.
std::optional<NumberRule> numberRuleOf(std::string_view control, bool inch);

// The nine unit labels follow the unit choice; these are the length boxes they
// stand beside, LabelUnit1 to LabelUnit9 in order.
inline constexpr std::string_view kLengthControls[9] = {
    "EditWidth",       "EditHeight",      "EditGapSize",       "EditGapOffset", "EditMaximumLength",
    "EditPrintWidthZ", "EditLabelWidthD", "EditColumnOffsetD", "EditRowOffsetD"};

// The wireless MAC address a printer without the module reports.
inline constexpr std::string_view kNoModuleMac = "00:00:00:00:00:00";

// What the rules need from the form. Controls are named by object name; a
// name the form does not have reads as empty / no selection / hidden, and
// writes to it are ignored.
class ConfigFormView {
  public:
    virtual ~ConfigFormView() = default;

    // Texts are printer bytes. A box the operator has not changed since the
    // program filled it gives back exactly the bytes it was filled with; a
    // changed one gives what is typed, in the printer text encoding.
    virtual std::string text(std::string_view control) const = 0;
    virtual void setText(std::string_view control, std::string_view text) = 0;
    // The first typed character of a changed box that the printer text
    // encoding cannot hold (UTF-8); nullopt when there is none.
    virtual std::optional<std::string> unheldCharacter(std::string_view /*control*/) const {
        return std::nullopt;
    }
    // Whether the operator has changed the box since the program filled it.
    // Ranges and addresses are checked on what was typed; what the printer
    // or a file gave goes back as it came.
    virtual bool changed(std::string_view /*control*/) const { return true; }
    // Item index of a list; -1 when nothing is selected.
    virtual int item(std::string_view control) const = 0;
    virtual void setItem(std::string_view control, int item) = 0;
    // Whether the control is shown on its page (its own visibility and its
    // groups'; not whether its page is the one on top).
    virtual bool visible(std::string_view control) const = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual void setEnabled(std::string_view control, bool enabled) = 0;

    // The wireless MAC box in the no-module state (red) or back to normal,
    // with its effect on the Set and wireless factory default buttons.
    virtual void setMacNoModule(bool noModule) = 0;
    // The change handlers of the encryption and EAP type lists, which enable
    // the controls that go with the choice.
    virtual void encryptionChanged() = 0;
    virtual void eapTypeChanged() = 0;
};

// What each length box was last filled with: the dots behind its two-decimal
// text, with the resolution and unit they were shown in. A box whose text is
// still that text goes back as exactly those dots, not as its rounded text
// times the resolution (2000 dots shown as 9.85 inch stay 2000 dots).
class ShownLengths {
  public:
    struct Entry {
        std::string text;
        double dots = 0;
        double resolution = 0;  // dpi for inch, dots per mm for mm
        bool inch = true;
    };
    void remember(std::string_view control, Entry entry);
    void forget(std::string_view control);
    // The entry of a box, only while it shows the text it was filled with in
    // the unit asked for.
    const Entry* unchanged(std::string_view control, std::string_view text, bool inch) const;

  private:
    std::map<std::string, Entry, std::less<>> entries_;
};

// Record -> controls. Lengths use the record's own resolution in the unit
// chosen (inch true, mm false); lengths, when given, learns what each length
// box was filled from.
void showRecord(const ConfigRecord& record, bool inch, ConfigFormView& view,
                ShownLengths* lengths = nullptr);

// The first box that cannot go to the printer stops the build.
struct BuildError {
    enum class Reason : std::uint8_t {
        kNotANumber,       // detail: what the box holds
        kUnheldCharacter,  // detail: the character the encoding cannot hold
        kTooLong,          // detail: the most bytes the setting keeps
        kUnquotable,       // a '"', CR, LF or other control byte (findUnquotableByte)
        kOutOfRange,       // detail: the range (rangeText); low and high hold it
        kTooPrecise,       // detail: the decimals the command carries
        kEmpty,            // a box that must be filled for what is sent
        kNotAnAddress,     // not a dotted IPv4 address
    };
    std::string control;  // object name of the box
    std::string text;     // what it holds
    Reason reason = Reason::kNotANumber;
    std::string detail;
    double low = 0, high = 0;  // kOutOfRange: the range
};

// Controls -> record. Overwrites the settings the form owns and leaves the
// rest (identity, counters, resolution, present-bytes, shown-only bases, the
// external module) as they were. On an error the record is left untouched.
// Lengths are converted with the record's own resolution; a length box still
// showing what lengths says it was filled with gives back those dots
// (rescaled when the record's resolution differs from the one shown with).
// A typed text the encoding cannot hold or longer than its setting keeps is
// refused, never replaced or cut.
std::optional<BuildError> buildRecord(const ConfigFormView& view, bool inch, ConfigRecord& record,
                                      const ShownLengths* lengths = nullptr);

// The unit choice changed: each length box is built in the old unit as Set
// would build it (with the record's resolution) and shown in the new one, so
// the same length stays on the page. A box that holds no number is left as
// it is.
void convertLengths(ConfigFormView& view, const ConfigRecord& record, bool fromInch, bool toInch,
                    ShownLengths& lengths);

// The three certificate paths the wireless page hands to the write; taken
// from the path boxes only while an enterprise EAP type is chosen.
struct CertificateChoice {
    bool taken = false;
    std::string caCert, clientCert, privateKey;
};
CertificateChoice certificatesFromForm(const ConfigFormView& view);

// Number texts as the pages show them and read them back.
std::string formatGeneral(double value);  // 3.3f -> "3.29999995231628", 3 -> "3"
std::string formatUnits(double value);    // "0.00": two decimals, half away from zero
// Whole text must be the number (surrounding blanks allowed); nullopt else.
std::optional<std::int32_t> parseIntegerEntry(std::string_view text);
std::optional<double> parseRealEntry(std::string_view text);

}  // namespace m350::gui
