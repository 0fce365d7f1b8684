VERSION 5.00
Object = "{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0"; "comdlg32.ocx"
Begin VB.MDIForm frmMDI 
   Caption         =   "Orders"
   ClientHeight    =   6600
   ClientLeft      =   165
   ClientTop       =   735
   ClientWidth     =   9600
   Icon            =   "frmMDI.frx":0000
   LinkTopic       =   "MDIForm1"
   StartUpPosition =   3  'Windows Default
   Begin Orders.ctlStatusBar sbStatus 
      Align           =   2  'Align Bottom
      Height          =   315
      Left            =   0
      TabIndex        =   6
      Top             =   6285
      Width           =   9600
      _ExtentX        =   16933
      _ExtentY        =   556
      Caption         =   "Ready"
   End
   Begin MSComDlg.CommonDialog dlgFile 
      Left            =   8880
      Top             =   720
      _ExtentX        =   847
      _ExtentY        =   847
      _Version        =   393216
      CancelError     =   -1  'True
      DefaultExt      =   "dat"
   End
   Begin VB.PictureBox picToolbar 
      Align           =   1  'Align Top
      BorderStyle     =   0  'None
      Height          =   495
      Left            =   0
      ScaleHeight     =   495
      ScaleWidth      =   9600
      TabIndex        =   0
      TabStop         =   0   'False
      Top             =   0
      Width           =   9600
      Begin VB.CommandButton cmdTool 
         Caption         =   "&Find"
         Height          =   375
         Index           =   3
         Left            =   3240
         TabIndex        =   4
         ToolTipText     =   "Customer list (F2)"
         Top             =   60
         Width           =   975
      End
      Begin VB.CommandButton cmdTool 
         Caption         =   "&Save"
         Height          =   375
         Index           =   2
         Left            =   2160
         TabIndex        =   3
         ToolTipText     =   "Save (Ctrl+S)"
         Top             =   60
         Width           =   975
      End
      Begin VB.CommandButton cmdTool 
         Caption         =   "&Open"
         Height          =   375
         Index           =   1
         Left            =   1080
         TabIndex        =   2
         ToolTipText     =   "Open a customer file (Ctrl+O)"
         Top             =   60
         Width           =   975
      End
      Begin VB.CommandButton cmdTool 
         Caption         =   "&New"
         Height          =   375
         Index           =   0
         Left            =   0
         TabIndex        =   1
         ToolTipText     =   "New customer (Ctrl+N)"
         Top             =   60
         Width           =   975
      End
      Begin VB.Label lblUser 
         Alignment       =   1  'Right Justify
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   700
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         ForeColor       =   &H00808080&
         Height          =   255
         Left            =   5640
         TabIndex        =   5
         Top             =   120
         Width           =   3855
      End
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuFileNew 
         Caption         =   "&New customer..."
         Shortcut        =   ^N
      End
      Begin VB.Menu mnuFileOpen 
         Caption         =   "&Open..."
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuFileSave 
         Caption         =   "&Save"
         Shortcut        =   ^S
      End
      Begin VB.Menu mnuFileSaveAs 
         Caption         =   "Save &as..."
      End
      Begin VB.Menu mnuFileSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuFileImport 
         Caption         =   "&Import"
         Begin VB.Menu mnuFileImportCsv 
            Caption         =   "&CSV file..."
         End
         Begin VB.Menu mnuFileImportOld 
            Caption         =   "Orders &2.x data..."
            Enabled         =   0   'False
         End
      End
      Begin VB.Menu mnuFilePurge 
         Caption         =   "&Delete backup files"
      End
      Begin VB.Menu mnuFileSep2 
         Caption         =   "-"
      End
      Begin VB.Menu mnuFileRecent 
         Caption         =   "(recent)"
         Index           =   0
         Visible         =   0   'False
      End
      Begin VB.Menu mnuFileSep3 
         Caption         =   "-"
         Visible         =   0   'False
      End
      Begin VB.Menu mnuFileExit 
         Caption         =   "E&xit"
      End
   End
   Begin VB.Menu mnuView 
      Caption         =   "&View"
      Begin VB.Menu mnuViewCustomers 
         Caption         =   "&Customer list"
         Shortcut        =   {F2}
      End
      Begin VB.Menu mnuViewStatusBar 
         Caption         =   "&Status bar"
         Checked         =   -1  'True
      End
   End
   Begin VB.Menu mnuWindow 
      Caption         =   "&Window"
      WindowList      =   -1  'True
      Begin VB.Menu mnuWindowCascade 
         Caption         =   "&Cascade"
      End
      Begin VB.Menu mnuWindowTile 
         Caption         =   "&Tile"
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
      Begin VB.Menu mnuHelpKeys 
         Caption         =   "&Keyboard"
         Shortcut        =   {F1}
      End
      Begin VB.Menu mnuHelpSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuHelpAbout 
         Caption         =   "&About Orders..."
      End
   End
End
Attribute VB_Name = "frmMDI"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' frmMDI - main window: menu, toolbar and status bar
'---------------------------------------------------------------------------
Option Explicit

' Indexes of the cmdTool buttons
Private Const TOOL_NEW As Integer = 0
Private Const TOOL_OPEN As Integer = 1
Private Const TOOL_SAVE As Integer = 2
Private Const TOOL_FIND As Integer = 3

Private Const FILTER_DATA As String = "Customer files (*.dat)|*.dat|All files (*.*)|*.*"
Private Const FILTER_CSV As String = "CSV files (*.csv;*.txt)|*.csv;*.txt|All files (*.*)|*.*"

' Shows a text in the status bar
Public Sub SetStatus(ByVal Text As String)
    sbStatus.Caption = Text
End Sub

' The title shows the file name and a "*" while there are unsaved changes
Public Sub UpdateCaption()
    Dim sFile As String

    If Len(gSettings.LastFile) = 0 Then
        sFile = "(untitled)"
    Else
        sFile = Mid$(gSettings.LastFile, InStrRev(gSettings.LastFile, "\") + 1)
    End If
    Me.Caption = APP_TITLE & " - " & sFile & IIf(gDirty, " *", "")
End Sub

Private Sub MDIForm_Load()
    lblUser.Caption = Environ$("USERNAME") & " @ " & GetMachineName()
    sbStatus.ShowClock = gSettings.ShowClock
    If gSettings.WindowState = vbMaximized Then Me.WindowState = vbMaximized

    UpdateRecentMenu
    UpdateCaption
    frmMain.Show
End Sub

Private Sub MDIForm_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    If Not ConfirmDiscard() Then Cancel = True
End Sub

Private Sub MDIForm_Unload(Cancel As Integer)
    If Me.WindowState <> vbMinimized Then gSettings.WindowState = Me.WindowState
    gSettings.ShowClock = sbStatus.ShowClock
    SaveSettings
    Set gCustomers = Nothing
End Sub

Private Sub mnuFileNew_Click()
    frmMain.Show
    frmMain.NewCustomer
End Sub

Private Sub mnuFileOpen_Click()
    Dim sFile As String

    If Not ConfirmDiscard() Then Exit Sub

    On Error GoTo ErrHandler
    With dlgFile
        .DialogTitle = "Open customer file"
        .Filter = FILTER_DATA
        .Flags = cdlOFNFileMustExist Or cdlOFNHideReadOnly
        .InitDir = gSettings.DataPath
        .FileName = ""
        .ShowOpen
        sFile = .FileName
    End With

    If OpenDataFile(sFile) Then
        gSettings.DataPath = Left$(sFile, InStrRev(sFile, "\") - 1)
        AfterFileChange
    End If
    Exit Sub

ErrHandler:
    If Err.Number = cdlCancel Then Exit Sub
    MsgBox Err.Description, vbExclamation, APP_TITLE
End Sub

Private Sub mnuFileSave_Click()
    If Len(gSettings.LastFile) = 0 Then
        mnuFileSaveAs_Click
    Else
        SaveDataFile gSettings.LastFile
        UpdateCaption
    End If
End Sub

Private Sub mnuFileSaveAs_Click()
    On Error GoTo ErrHandler

    With dlgFile
        .DialogTitle = "Save customer file as"
        .Filter = FILTER_DATA
        .Flags = cdlOFNOverwritePrompt Or cdlOFNHideReadOnly Or cdlOFNPathMustExist
        .InitDir = gSettings.DataPath
        .ShowSave
        SaveDataFile .FileName
    End With
    AfterFileChange
    Exit Sub

ErrHandler:
    If Err.Number <> cdlCancel Then ShowError "frmMDI.mnuFileSaveAs_Click"
End Sub

Private Sub mnuFileImportCsv_Click()
    Dim lCount As Long

    On Error GoTo ErrHandler
    With dlgFile
        .DialogTitle = "Import customers"
        .Filter = FILTER_CSV
        .Flags = cdlOFNFileMustExist Or cdlOFNHideReadOnly
        .FileName = ""
        .ShowOpen
        lCount = ImportCsv(.FileName)
    End With

    SetStatus lCount & " customers imported"
    UpdateCaption
    frmMain.RefreshList
    Exit Sub

ErrHandler:
    If Err.Number <> cdlCancel Then ShowError "frmMDI.mnuFileImportCsv_Click"
End Sub

Private Sub mnuFilePurge_Click()
    If MsgBox("Delete all backup files (*.bak) in " & gSettings.DataPath & "?", _
              vbQuestion + vbYesNo, APP_TITLE) = vbYes Then
        PurgeBackups gSettings.DataPath
    End If
End Sub

Private Sub mnuFileRecent_Click(Index As Integer)
    Dim sFile As String

    sFile = mnuFileRecent(Index).Tag
    If Not ConfirmDiscard() Then Exit Sub

    If Not FileExists(sFile) Then
        MsgBox "The file " & sFile & " no longer exists.", vbExclamation, APP_TITLE
        Exit Sub
    End If
    If OpenDataFile(sFile) Then AfterFileChange
End Sub

Private Sub mnuFileExit_Click()
    Unload Me
End Sub

Private Sub mnuViewCustomers_Click()
    frmMain.Show
    frmMain.ZOrder 0
End Sub

Private Sub mnuViewStatusBar_Click()
    mnuViewStatusBar.Checked = Not mnuViewStatusBar.Checked
    sbStatus.Visible = mnuViewStatusBar.Checked
End Sub

Private Sub mnuWindowCascade_Click()
    Me.Arrange vbCascade
End Sub

Private Sub mnuWindowTile_Click()
    Me.Arrange vbTileHorizontal
End Sub

Private Sub mnuHelpKeys_Click()
    MsgBox FunctionList(), vbInformation, "Keyboard"
End Sub

Private Sub mnuHelpAbout_Click()
    frmAbout.Show vbModal, Me
End Sub

Private Sub cmdTool_Click(Index As Integer)
    Select Case Index
        Case TOOL_NEW
            mnuFileNew_Click
        Case TOOL_OPEN
            mnuFileOpen_Click
        Case TOOL_SAVE
            mnuFileSave_Click
        Case TOOL_FIND
            mnuViewCustomers_Click
            frmMain.txtSearch.SetFocus
    End Select
End Sub

Private Sub sbStatus_ClockDblClick()
    SetStatus "Today is " & Format$(Date, "dddd, d mmmm yyyy")
End Sub

' Asks whether to save unsaved changes. Returns False when the user
' pressed Cancel (the action must then stop).
Private Function ConfirmDiscard() As Boolean
    If Not gDirty Then
        ConfirmDiscard = True
        Exit Function
    End If

    Select Case MsgBox("Save the changes to the customer file?", vbYesNoCancel + vbQuestion, APP_TITLE)
        Case vbYes
            mnuFileSave_Click
            ConfirmDiscard = Not gDirty
        Case vbNo
            ConfirmDiscard = True
        Case Else
            ConfirmDiscard = False
    End Select
End Function

' Called after a file was opened or saved under a new name
Private Sub AfterFileChange()
    UpdateRecentMenu
    UpdateCaption
    frmMain.RefreshList
End Sub

' Rebuilds the list of recent files at the end of the File menu. Menu
' items beyond index 0 are loaded at run time.
Private Sub UpdateRecentMenu()
    Dim i As Integer
    Dim nCount As Integer

    For i = 1 To MAX_RECENT
        If Len(gSettings.Recent(i)) > 0 Then
            If nCount > mnuFileRecent.UBound Then Load mnuFileRecent(nCount)
            With mnuFileRecent(nCount)
                .Caption = "&" & (nCount + 1) & " " & gSettings.Recent(i)
                .Tag = gSettings.Recent(i)
                .Visible = True
            End With
            nCount = nCount + 1
        End If
    Next i

    For i = nCount To mnuFileRecent.UBound
        mnuFileRecent(i).Visible = False
    Next i
    mnuFileSep3.Visible = (nCount > 0)
End Sub
