// Everything the end-to-end tests share; see README.md.
#pragma once

#include "Clipboard.h"
#include "Files.h"
#include "Menus.h"
#include "MessageBoxWatcher.h"
#include "PluginSandbox.h"
#include "Process.h"
#include "Text.h"
#include "UrlLog.h"
