// The controls the windows are built from. Qt lacks a few events the windows rely on: a key
// seen before the list acts on it, a focus loss that ignores switching applications, and a
// click behaviour that also runs when the program itself changes a value. Each control here
// adds exactly one such event on top of the Qt widget, so that every handler runs once per
// event whoever caused it.
#pragma once

#include "widgets/FocusEvents.h"
#include "widgets/Mnemonic.h"
#include "widgets/VbBar.h"
#include "widgets/VbCheckBox.h"
#include "widgets/VbComboBox.h"
#include "widgets/VbListBox.h"
#include "widgets/VbOptionButton.h"
#include "widgets/VbPicture.h"
#include "widgets/VbTextBox.h"
#include "widgets/VkCommand.h"
#include "widgets/VkFrame.h"
