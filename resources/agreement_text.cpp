#include "resources/agreement_text.h"

const char kAgreementCaption[] = "Software License Agreement";

// One line per paragraph; the edit control wraps the long ones.
const char kAgreementText[] =
    "VOSTREL SOFTWARE LICENSE AGREEMENT\r\n"

    "NIMBLEKEY Driver Setup Utility, version 2.02\r\n"

    "IMPORTANT - READ CAREFULLY: This Software License Agreement (the \"Agreement\") is a "
    "legal agreement between you (either an individual or a single entity) and Vostrel "
    "Technology Inc. (\"Vostrel\") for the Vostrel driver setup utility that accompanies this "
    "Agreement and the driver files, setup scripts and documentation delivered with it (the "
    "\"Software\"). By pressing \"Yes\", or by installing, copying or otherwise using the "
    "Software, you agree to be bound by the terms of this Agreement. If you do not agree to "
    "these terms, press \"No\"; the program will then end without installing anything, and you "
    "may not use the Software.\r\n"

    "1. GRANT OF LICENSE. Vostrel grants you a non-exclusive, non-transferable license to "
    "install and use the Software on any number of computers that you own or control, solely "
    "for the purpose of operating NIMBLEKEY USB flash disks and compatible storage devices "
    "supplied by Vostrel or its authorised resellers. You may make one copy of the Software "
    "for backup or archival purposes, provided that the copy carries all copyright and other "
    "notices of the original.\r\n"

    "2. RESTRICTIONS. You may not rent, lease, lend, sell, sublicense or otherwise "
    "distribute the Software separately from the device it was supplied with. You may not "
    "modify, translate, reverse engineer, decompile or disassemble the Software, except and "
    "only to the extent that applicable law expressly permits such activity notwithstanding "
    "this limitation.\r\n"

    "3. OWNERSHIP. The Software is licensed, not sold. Vostrel and its suppliers retain all "
    "right, title and interest in and to the Software, including all copyrights, patents, "
    "trade secrets, trademarks and other intellectual property rights. All rights not "
    "expressly granted to you in this Agreement are reserved by Vostrel.\r\n"

    "4. SYSTEM CHANGES. The Software changes the configuration of your computer in order to "
    "install or remove the device driver: it may remove the device's entries from the "
    "system's device list, replace driver files and setup information files in the Windows "
    "directory, and change the folder in which Windows looks for setup information files. "
    "Please close all other programs and save your work before you start.\r\n"

    "5. BACKUP. Before you install or remove the driver, you should make a backup copy of "
    "all important programs and data stored on your computer and on the device. Vostrel is "
    "not responsible for any loss of data, whether stored on the device or elsewhere, that "
    "results from the installation, removal or use of the Software.\r\n"

    "6. UPDATES AND SUPPORT. Vostrel may, at its sole discretion, provide updates or new "
    "versions of the Software. Any update provided to you is part of the Software and is "
    "governed by this Agreement unless it comes with a separate agreement. Vostrel is under "
    "no obligation to provide support, maintenance or updates of any kind.\r\n"

    "7. NO WARRANTY. THE SOFTWARE IS PROVIDED \"AS IS\" WITHOUT WARRANTY OF ANY KIND. TO THE "
    "MAXIMUM EXTENT PERMITTED BY APPLICABLE LAW, VOSTREL AND ITS SUPPLIERS DISCLAIM ALL "
    "WARRANTIES, EITHER EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO IMPLIED WARRANTIES "
    "OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE, TITLE AND NON-INFRINGEMENT. "
    "VOSTREL DOES NOT WARRANT THAT THE SOFTWARE WILL MEET YOUR REQUIREMENTS OR THAT ITS "
    "OPERATION WILL BE UNINTERRUPTED OR ERROR FREE.\r\n"

    "8. LIMITATION OF LIABILITY. TO THE MAXIMUM EXTENT PERMITTED BY APPLICABLE LAW, IN NO "
    "EVENT SHALL VOSTREL OR ITS SUPPLIERS BE LIABLE FOR ANY SPECIAL, INCIDENTAL, INDIRECT OR "
    "CONSEQUENTIAL DAMAGES WHATSOEVER ARISING OUT OF THE USE OF OR INABILITY TO USE THE "
    "SOFTWARE, INCLUDING LOSS OF DATA, EVEN IF VOSTREL HAS BEEN ADVISED OF THE POSSIBILITY "
    "OF SUCH DAMAGES. VOSTREL'S ENTIRE LIABILITY SHALL BE LIMITED TO THE AMOUNT ACTUALLY "
    "PAID BY YOU FOR THE DEVICE WITH WHICH THE SOFTWARE WAS SUPPLIED.\r\n"

    "9. SUPPORTED SYSTEMS. The Software is designed for Microsoft Windows 98 and Windows 98 "
    "Second Edition. Where the setup script supplied with the driver allows it, the Software "
    "may also run on later versions of Windows, whose own drivers may already support the "
    "device.\r\n"

    "10. TERMINATION. This Agreement is effective until terminated. It terminates "
    "automatically, without notice from Vostrel, if you fail to comply with any of its "
    "terms. Upon termination you must stop using the Software and destroy all copies of it "
    "in your possession, including any backup copy.\r\n"

    "11. TRADEMARKS. Vostrel and NIMBLEKEY are trademarks of Vostrel Technology Inc. "
    "Microsoft and Windows are trademarks of their respective owner. Other product and "
    "company names mentioned in the Software or its documentation may be trademarks of their "
    "respective owners.\r\n"

    "12. SEVERABILITY. If any provision of this Agreement is held by a court of competent "
    "jurisdiction to be invalid or unenforceable, that provision shall be enforced to the "
    "maximum extent permissible, and the remaining provisions of this Agreement shall "
    "continue in full force and effect.\r\n"

    "13. ENTIRE AGREEMENT. This Agreement is the entire agreement between you and Vostrel "
    "relating to the Software and supersedes all prior or contemporaneous oral or written "
    "communications, proposals and representations with respect to the Software.\r\n"

    "14. GOVERNING LAW. This Agreement is governed by the laws of the place where Vostrel "
    "has its principal office, without regard to its rules on conflicts of law. The United "
    "Nations Convention on Contracts for the International Sale of Goods does not apply to "
    "this Agreement.\r\n"

    "Should you have any questions concerning this Agreement, or if you wish to contact "
    "Vostrel for any reason, please refer to the address given in the printed manual of your "
    "NIMBLEKEY device.\r\n"

    "Copyright (C) 2004 Vostrel Technology Inc. All rights reserved.";

static_assert(sizeof kAgreementText - 1 == 5751, "the agreement text has a fixed length");
