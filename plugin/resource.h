// Resource identifiers of the plug-in library.
#pragma once

#define IDS_SEARCH_ENGINES 101
#define IDS_SHOW_ALL 102
#define IDS_NO_ITEM 103
#define IDS_NO_MENU 104
