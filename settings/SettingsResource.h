// Resource identifiers of the settings dialog (200 and up; the plug-in's own
// resources stay below).
#pragma once

#define IDI_KESTRELFIND 200
#define IDB_FOLDERS 201
