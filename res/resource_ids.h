/* Resource ids shared by the resource script and the program: icons, the bitmap, the dialog
   templates and their items. Plain #defines, since the resource compiler reads this file too. */
#ifndef QUORVANE_RES_RESOURCE_IDS_H
#define QUORVANE_RES_RESOURCE_IDS_H

/* Icons */
#define IDI_APPLICATION_MARK 100 /* main window, message boxes and dialogs */
#define IDI_ABOUT 102            /* About dialog picture, 48 x 48 design units */
#define IDI_SECTION_OPTIONS 110  /* toolbar, 96 x 96 design units */
#define IDI_SECTION_PRIVACY 111
#define IDI_SECTION_RESTORE 112
#define IDI_SECTION_ABOUT 113
#define IDI_SETTINGS 200 /* bottom icons: 48 x 48 and 72 x 40 design units */
#define IDI_DONATE 201

/* Bitmap shown when an option's preview image is missing */
#define IDB_NO_PREVIEW 4001

/* About */
#define IDD_ABOUT 1000
#define IDC_ABOUT_PRODUCT 1001
#define IDC_ABOUT_VERSION 1002
#define IDC_ABOUT_GROUP 1003
#define IDC_ABOUT_AUTHOR_LABEL 1004
#define IDC_ABOUT_AUTHOR 1005
#define IDC_ABOUT_WEB_LABEL 1006
#define IDC_ABOUT_WEB_LINK 1007
#define IDC_ABOUT_EMAIL_LABEL 1008
#define IDC_ABOUT_EMAIL 1009

/* Settings */
#define IDD_SETTINGS 2000
#define IDC_SETTINGS_UPDATE_CHECK 2001
#define IDC_SETTINGS_SHOW_NOTICE 2002
#define IDC_SETTINGS_OK 2005

/* License-model notice */
#define IDD_LICENSE 3000
#define IDC_LICENSE_TERMS 3001
#define IDC_LICENSE_DONATE_LINK 3002
#define IDC_LICENSE_TEXT 3003
#define IDC_LICENSE_MORE_LABEL 3004
#define IDC_LICENSE_MORE_LINK 3005
#define IDC_LICENSE_DO_NOT_SHOW 3006
#define IDC_LICENSE_OK 3007

/* Option preview */
#define IDD_PREVIEW 4000

#endif /* QUORVANE_RES_RESOURCE_IDS_H */
