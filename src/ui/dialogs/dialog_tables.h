// The tables of the dialogs: each form's controls with their kind, container, place in
// twips, style, tab order and first caption. The forms are built from them, and the scenario
// runners find a dialog's controls through them.
#pragma once

#include <cstddef>

#include "platform/win32.h"
#include "ui/forms/form_spec.h"

namespace tarnivo::dialogs {

using forms::ControlKind;
using forms::ControlSpec;
using forms::FormSpec;
using forms::KeyRole;

// The language chooser: the languages of the languages folder, and the button that closes
// it with the one chosen.
inline constexpr ControlSpec kLangControls[] = {
    {"cmbLang", ControlKind::ComboBox, nullptr, 120, 120, 2460, 315, 0, 0, ""},
    {"cmdsair", ControlKind::Button, nullptr, 120, 555, 2460, 375, 0, 1, "CLOSE", KeyRole::Default},
};
inline constexpr FormSpec kLangForm = {"frmLang",
                                       "Tarnivo",
                                       2700,
                                       1050,
                                       false,
                                       kLangControls,
                                       sizeof kLangControls / sizeof kLangControls[0]};

// Every dialog, for the runners that look for the one on screen.
inline constexpr const FormSpec* kDialogForms[] = {&kLangForm};

}  // namespace tarnivo::dialogs
