// Identifiers of Kestrelclean's texts, held in English and Japanese by
// Kestrelclean.rc. They lie far from the plug-in's (common/TextIds.h): a
// common helper that asks for one of its own texts here finds none rather
// than a wrong one. The resource compiler reads this file too: #defines only.
#pragma once

#define IDS_CLEAN_ALREADY_RUNNING 2001
#define IDS_CLEAN_RUN_LOCK_FAILED 2002
