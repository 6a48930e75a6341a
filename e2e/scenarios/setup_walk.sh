# Start, Address and Review as a person walks them: the address rule, the review
# lines, Back, the install question, and the close questions.
drive <<'DRIVE'
start C:\dist\setup.exe
window "Pelmora Setup"
text Appname "Pelmora .9b2"
set-text AppDIR d:\apps
check GroupBox 0
click NextBtn
text Notebook1 Address
snap address-page
focus EAddr
enabled BackBtn 1
enabled NextBtn 0
text Label6 "E-Address && Mail Server"
set-text EAddr "Jane Doe <jane@example.org>"
enabled NextBtn 0
set-text Host "   "
enabled NextBtn 1
set-text Host ""
enabled NextBtn 0
set-text Host smtp.example.org
enabled NextBtn 1
set-text EAddr ""
enabled NextBtn 0
set-text EAddr "Jane Doe <jane@example.org>"
click NextBtn
text Notebook1 Review
snap review-page
text NextBtn Install
enabled BackBtn 1
text RichEdit3 "Folder = d:\apps{CR}{LF}Address = Jane Doe <jane@example.org>{CR}{LF}MailHost = smtp.example.org{CR}{LF}ProgramGroup = no"
click BackBtn
text Notebook1 Address
text NextBtn Next
enabled NextBtn 1
text CancelBtn Cancel
click BackBtn
text Notebook1 Start
focus AppDIR
check GroupBox 1
click NextBtn
click NextBtn
text RichEdit3 "Folder = d:\apps{CR}{LF}Address = Jane Doe <jane@example.org>{CR}{LF}MailHost = smtp.example.org{CR}{LF}ProgramGroup = yes"
click NextBtn
box Pelmora "Install now?"
snap install-question
answer Cancel
text Notebook1 Review
text NextBtn Install
enabled NextBtn 1
close
box Pelmora "Quit without installing Pelmora?"
snap quit-question
answer No
text Notebook1 Review
click BackBtn
escape
box Pelmora "Quit without installing Pelmora?"
answer No
text Notebook1 Address
click CancelBtn
box Pelmora "Quit without installing Pelmora?"
answer Yes
exit 0
DRIVE
