#pragma once
// The chooser dialog's resource and control identifiers, shared by its template and code.

#define IDD_CHOOSER 202
#define IDC_REQUESTER 1000
#define IDC_PROMPT 1001
#define IDC_CERT_LIST 1002
#define IDC_COPYRIGHT 1003
#define IDC_VIEW 1004
