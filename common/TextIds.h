// Identifiers of the texts the user sees: the string tables of the library,
// one resource file per language (plugin/Strings.*.rc). These are the texts
// of the menu, the search and what every room shares (the message boxes,
// the store's failures); the settings dialog's own are in
// settings/SettingTextIds.h. The resource compiler reads this file too, so it
// holds only #defines.
#pragma once

// The search menu.
#define IDS_SEARCH_ENGINES 101
#define IDS_SHOW_ALL 102
#define IDS_NO_ITEM 103
#define IDS_NO_MENU 104
#define IDS_SEARCH_ALL 105
#define IDS_SEARCH_WITH 106

// What the host shows of the plug-in where its version resource cannot say.
#define IDS_PLUGIN_DESCRIPTION 107

// The message boxes.
#define IDS_OUT_OF_MEMORY 201
#define IDS_UNEXPECTED_FAILURE 202
#define IDS_SYSTEM_ERROR_CODE 203
#define IDS_WINDOW_CLASS_NOT_REGISTERED 204

// The store's changes.
#define IDS_WRITE_FAILED 300
#define IDS_RENAME_ENGINE_FAILED 301
#define IDS_DELETE_ENGINE_FAILED 302
#define IDS_ATTRIBUTES_FAILED 303
#define IDS_CREATE_FOLDER_FAILED 304
#define IDS_RENAME_FOLDER_FAILED 305
#define IDS_DELETE_FOLDER_FAILED 306
#define IDS_MOVE_ENGINE_FAILED 307
#define IDS_MOVE_FOLDER_FAILED 308
#define IDS_MOVE_FOLDER_TARGET_TAKEN 309
#define IDS_READ_BACK_DIFFERS 310

// Names and URLs the store cannot hold.
#define IDS_NAME_EMPTY 400
#define IDS_NAME_BAD_CHARACTER 401
#define IDS_NAME_BAD_END 402
#define IDS_NAME_RESERVED 403
#define IDS_URL_TOO_LONG 404
#define IDS_URL_CONTROL_CHARACTER 405
#define IDS_TEMPLATE_PATH_SCHEME 406

// The search.
#define IDS_ADDRESS_NOT_WEB 600
#define IDS_ADDRESS_HOST_NOT_PLAIN 601
#define IDS_ADDRESS_BAD_PERCENT 602
#define IDS_ADDRESS_TOO_LONG_FOR_SHELL 603
#define IDS_ADDRESS_TOO_LONG 604
#define IDS_SHELL_FAILED 605
#define IDS_OPEN_N_SEARCHES 606
#define IDS_SEARCHES_NOT_OPENED 607
#define IDS_ENGINE_FILE_GONE 608
#define IDS_CLIPBOARD_NO_MEMORY 610
#define IDS_CLIPBOARD_NO_WINDOW 611
#define IDS_CLIPBOARD_BUSY 612
#define IDS_CLIPBOARD_NOT_EMPTIED 613
#define IDS_CLIPBOARD_NOT_RESTORED 614

// Engines that post a form.
#define IDS_POST_ACTION_NOT_WEB 850
#define IDS_POST_ACTION_WITH_WORD 851
#define IDS_POST_WITHOUT_WORD 852
#define IDS_POST_PAGE_NOT_WRITTEN 853
#define IDS_POST_PAGE_TITLE 854
#define IDS_POST_PAGE_EXPLANATION 855
#define IDS_POST_PAGE_BUTTON 856

// Opening in a chosen browser or a private window.
#define IDS_BROWSER_NO_PRIVATE_SWITCH 860
#define IDS_BROWSER_NOT_STARTED 861
#define IDS_NO_DEFAULT_BROWSER 862
#define IDS_BROWSER_NOT_FULL_PATH 863

// OpenSearch descriptions: why one is not imported, why an engine is not
// exported.
#define IDS_OPENSEARCH_READ_FAILED 800
#define IDS_OPENSEARCH_TOO_LARGE 801
#define IDS_OPENSEARCH_NOT_XML 802
#define IDS_OPENSEARCH_DTD 803
#define IDS_OPENSEARCH_NOT_DESCRIPTION 804
#define IDS_OPENSEARCH_NO_NAME 805
#define IDS_OPENSEARCH_NO_URL 806
#define IDS_OPENSEARCH_NO_SEARCH_TERMS 807
#define IDS_OPENSEARCH_UNKNOWN_PARAMETER 808
#define IDS_OPENSEARCH_UNSUPPORTED_ENCODING 809
#define IDS_OPENSEARCH_NOT_WEB 810
#define IDS_OPENSEARCH_WORD_IN_HOST 811
#define IDS_OPENSEARCH_NO_XML_READER 812
#define IDS_OPENSEARCH_NO_FREE_NAME 813
#define IDS_OPENSEARCH_EXPORT_NO_URL 820

// "Search for...": the words typed, or the selection changed, before the
// search.
#define IDS_SEARCH_FOR 880
#define IDS_SEARCH_FOR_CAPTION 881
#define IDS_SEARCH_FOR_WORDS_LABEL 882
#define IDS_SEARCH_FOR_ENGINE_LABEL 883
#define IDS_SEARCH_FOR_SEARCH_BUTTON 884
#define IDS_SEARCH_FOR_CANCEL_BUTTON 885
#define IDS_SEARCH_FOR_NOT_CREATED 886
#define IDS_SEARCH_FOR_KEYS_NOT_HOOKED 887
