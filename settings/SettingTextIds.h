// Identifiers of the settings dialog's texts: its captions and its questions
// and messages, in the string tables of plugin/Strings.*.rc beside those of
// common/TextIds.h. The resource compiler reads this file too, so it holds
// only #defines.
#pragma once

// The settings dialog: its captions (in the order of its control table)...
#define IDS_FORM_CAPTION 700
#define IDS_LIST_HINT 701
#define IDS_SEARCH_ALL_CHECK 702
#define IDS_FOLDER_VISIBILITY 703
#define IDS_ENGINE_GROUP 704
#define IDS_NAME_LABEL 705
#define IDS_URL_LABEL 706
#define IDS_ENCODING_LABEL 707
#define IDS_SJIS_RADIO 708
#define IDS_EUC_RADIO 709
#define IDS_UTF8_RADIO 710
#define IDS_FAVOURITE_CHECK 711
#define IDS_ACCESS_KEY_LABEL 712
#define IDS_ADD_BUTTON 713
#define IDS_MODIFY_BUTTON 714
#define IDS_CLEAR_BUTTON 715
#define IDS_DELETE_ENGINE_BUTTON 716
#define IDS_HELP_BUTTON 717
#define IDS_CLOSE_BUTTON 718
#define IDS_PRODUCT_LABEL 719
#define IDS_COPYRIGHT_LABEL 720
#define IDS_LICENSE_LABEL 721
#define IDS_HOMEPAGE_LINK 722
#define IDS_ADD_FOLDER 723
#define IDS_DELETE_FOLDER 724
#define IDS_HELP_FILE 725
#define IDS_SEARCH_ALL_TIP 728
#define IDS_RECENT_LABEL 729

// ... and its questions and messages.
#define IDS_DELETE_ENGINE_QUESTION 500
#define IDS_DELETE_FOLDER_QUESTION 501
#define IDS_REPLACE_ENGINE_QUESTION 502
#define IDS_NO_HELP_VIEWER 503
#define IDS_DIALOG_NOT_CREATED 505
#define IDS_TREE_ITEM_NOT_ADDED 506
#define IDS_LIST_ITEM_NOT_ADDED 507
#define IDS_FOLDER_MENU_NOT_CREATED 508
#define IDS_CONTROLS_NOT_CREATED 510
#define IDS_KEYBOARD_NOT_HOOKED 511
#define IDS_DELETE_FOLDER_AND_ENGINE_QUESTION 512
#define IDS_DELETE_FOLDER_AND_ENGINES_QUESTION 513

