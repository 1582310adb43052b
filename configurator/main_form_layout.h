#pragma once
// The main window's layout: every component of TForm1 in resource order, with its parent, place,
// size and start settings.

#include "platform/vcl/form_reader.h"

const vcl::FormLayout& MainFormLayout();
