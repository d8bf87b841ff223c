// Identifiers of Kestrelclean's texts, held in English and Japanese by
// Kestrelclean.rc. They lie far from the plug-in's (common/TextIds.h): a
// common helper that asks for one of its own texts here finds none rather
// than a wrong one. The resource compiler reads this file too: #defines only.
#pragma once

// One run at a time.
#define IDS_CLEAN_ALREADY_RUNNING 2001
#define IDS_CLEAN_RUN_LOCK_FAILED 2002

// A journal left by an earlier run: damaged (and what could not be read),
// or one that can be neither used nor put aside.
#define IDS_CLEAN_JOURNAL_DAMAGED 2010
#define IDS_CLEAN_JOURNAL_UNREADABLE 2011
#define IDS_CLEAN_JOURNAL_BAD_LINES 2012
#define IDS_CLEAN_JOURNAL_CUT_SHORT 2013
#define IDS_CLEAN_JOURNAL_COUNT 2014
#define IDS_CLEAN_JOURNAL_STUCK 2015

// A journal left by an earlier run that is not for this program's stores,
// and why.
#define IDS_CLEAN_JOURNAL_REJECTED 2020
#define IDS_CLEAN_REJECT_NO_STORE 2021
#define IDS_CLEAN_REJECT_NOT_A_STORE 2022
#define IDS_CLEAN_REJECT_OUTSIDE 2023
