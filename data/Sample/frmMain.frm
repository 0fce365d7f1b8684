VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0"; "MSCOMCTL.OCX"
Begin VB.Form frmMain 
   Caption         =   "Customers"
   ClientHeight    =   5385
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   8655
   BeginProperty Font 
      Name            =   "Tahoma"
      Size            =   8.25
      Charset         =   0
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   Icon            =   "frmMain.frx":0000
   LinkTopic       =   "Form1"
   MDIChild        =   -1  'True
   ScaleHeight     =   5385
   ScaleWidth      =   8655
   Begin VB.PictureBox picButtons 
      Align           =   2  'Align Bottom
      BorderStyle     =   0  'None
      Height          =   555
      Left            =   0
      ScaleHeight     =   555
      ScaleWidth      =   8655
      TabIndex        =   10
      TabStop         =   0   'False
      Top             =   4830
      Width           =   8655
      Begin VB.CommandButton cmdClose 
         Cancel          =   -1  'True
         Caption         =   "Close"
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   375
         Left            =   7440
         TabIndex        =   14
         Top             =   90
         Width           =   1095
      End
      Begin VB.CommandButton cmdDelete 
         Caption         =   "&Delete"
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   375
         Left            =   2520
         TabIndex        =   13
         Top             =   90
         Width           =   1095
      End
      Begin VB.CommandButton cmdEdit 
         Caption         =   "&Edit..."
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   375
         Left            =   1320
         TabIndex        =   12
         Top             =   90
         Width           =   1095
      End
      Begin VB.CommandButton cmdNew 
         Caption         =   "&New..."
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   375
         Left            =   120
         TabIndex        =   11
         Top             =   90
         Width           =   1095
      End
   End
   Begin MSComctlLib.ListView lvwCustomers 
      Height          =   3495
      Left            =   0
      TabIndex        =   9
      Top             =   1335
      Width           =   8655
      _ExtentX        =   15266
      _ExtentY        =   6165
      View            =   3
      LabelEdit       =   1
      Sorted          =   -1  'True
      LabelWrap       =   -1  'True
      HideSelection   =   0   'False
      FullRowSelect   =   -1  'True
      GridLines       =   -1  'True
      _Version        =   393217
      ForeColor       =   -2147483640
      BackColor       =   -2147483643
      BorderStyle     =   1
      Appearance      =   1
      BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      NumItems        =   5
      BeginProperty ColumnHeader(1) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         Text            =   "No."
         Object.Width           =   1235
      EndProperty
      BeginProperty ColumnHeader(2) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         SubItemIndex    =   1
         Text            =   "Name"
         Object.Width           =   5292
      EndProperty
      BeginProperty ColumnHeader(3) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         SubItemIndex    =   2
         Text            =   "City"
         Object.Width           =   3528
      EndProperty
      BeginProperty ColumnHeader(4) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         SubItemIndex    =   3
         Text            =   "Status"
         Object.Width           =   1764
      EndProperty
      BeginProperty ColumnHeader(5) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         Alignment       =   1
         SubItemIndex    =   4
         Text            =   "Orders total"
         Object.Width           =   2469
      EndProperty
   End
   Begin VB.PictureBox picFilter 
      Align           =   1  'Align Top
      BorderStyle     =   0  'None
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   1335
      Left            =   0
      ScaleHeight     =   1335
      ScaleWidth      =   8655
      TabIndex        =   0
      TabStop         =   0   'False
      Top             =   0
      Width           =   8655
      Begin VB.Frame fraFilter 
         Caption         =   "Show"
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   615
         Left            =   120
         TabIndex        =   4
         Top             =   600
         Width           =   5775
         Begin VB.OptionButton optFilter 
            Caption         =   "&Closed"
            BeginProperty Font 
               Name            =   "Tahoma"
               Size            =   8.25
               Charset         =   0
               Weight          =   400
               Underline       =   0   'False
               Italic          =   0   'False
               Strikethrough   =   0   'False
            EndProperty
            Height          =   255
            Index           =   3
            Left            =   4320
            TabIndex        =   8
            Top             =   240
            Width           =   1215
         End
         Begin VB.OptionButton optFilter 
            Caption         =   "On &hold"
            BeginProperty Font 
               Name            =   "Tahoma"
               Size            =   8.25
               Charset         =   0
               Weight          =   400
               Underline       =   0   'False
               Italic          =   0   'False
               Strikethrough   =   0   'False
            EndProperty
            Height          =   255
            Index           =   2
            Left            =   2880
            TabIndex        =   7
            Top             =   240
            Width           =   1215
         End
         Begin VB.OptionButton optFilter 
            Caption         =   "Ac&tive"
            BeginProperty Font 
               Name            =   "Tahoma"
               Size            =   8.25
               Charset         =   0
               Weight          =   400
               Underline       =   0   'False
               Italic          =   0   'False
               Strikethrough   =   0   'False
            EndProperty
            Height          =   255
            Index           =   1
            Left            =   1440
            TabIndex        =   6
            Top             =   240
            Width           =   1215
         End
         Begin VB.OptionButton optFilter 
            Caption         =   "&All"
            BeginProperty Font 
               Name            =   "Tahoma"
               Size            =   8.25
               Charset         =   0
               Weight          =   400
               Underline       =   0   'False
               Italic          =   0   'False
               Strikethrough   =   0   'False
            EndProperty
            Height          =   255
            Index           =   0
            Left            =   120
            TabIndex        =   5
            Top             =   240
            Value           =   -1  'True
            Width           =   1215
         End
      End
      Begin VB.CommandButton cmdFind 
         Caption         =   "&Find"
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   330
         Left            =   4800
         TabIndex        =   3
         Top             =   180
         Width           =   1095
      End
      Begin VB.TextBox txtSearch 
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   315
         Left            =   1320
         TabIndex        =   2
         Top             =   195
         Width           =   3375
      End
      Begin VB.Label lblSearch 
         Caption         =   "&Search for:"
         BeginProperty Font 
            Name            =   "Tahoma"
            Size            =   8.25
            Charset         =   0
            Weight          =   400
            Underline       =   0   'False
            Italic          =   0   'False
            Strikethrough   =   0   'False
         EndProperty
         Height          =   255
         Left            =   120
         TabIndex        =   1
         Top             =   240
         Width           =   1095
      End
   End
   Begin VB.Menu mnuList 
      Caption         =   "List"
      Visible         =   0   'False
      Begin VB.Menu mnuListEdit 
         Caption         =   "&Edit..."
      End
      Begin VB.Menu mnuListDelete 
         Caption         =   "&Delete"
      End
      Begin VB.Menu mnuListSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuListStatus 
         Caption         =   "&Status"
         Begin VB.Menu mnuListStatusSet 
            Caption         =   "&Active"
            Index           =   0
         End
         Begin VB.Menu mnuListStatusSet 
            Caption         =   "On &hold"
            Index           =   1
         End
         Begin VB.Menu mnuListStatusSet 
            Caption         =   "&Closed"
            Index           =   2
         End
      End
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' frmMain - customer list (MDI child)
'---------------------------------------------------------------------------
Option Explicit

Private mFilter As Integer          ' -1 = all, else a CustomerStatus
Private mLoading As Boolean

' Fills the list again, e.g. after a file was opened. The selected
' customer stays selected.
Public Sub RefreshList()
    Dim oCustomer As clsCustomer
    Dim oItem As MSComctlLib.ListItem
    Dim sSearch As String
    Dim lSelected As Long

    lSelected = SelectedId()
    sSearch = Trim$(txtSearch.Text)

    ShowBusy True
    lvwCustomers.ListItems.Clear
    For Each oCustomer In gCustomers
        If MatchesFilter(oCustomer, sSearch) Then
            Set oItem = lvwCustomers.ListItems.Add(, oCustomer.Key, Format$(oCustomer.Id, "00000"))
            oItem.SubItems(1) = oCustomer.Name
            oItem.SubItems(2) = oCustomer.Address.City
            oItem.SubItems(3) = oCustomer.StatusText
            oItem.SubItems(4) = FormatMoney(oCustomer.OrderTotal)
            If oCustomer.Vip Then oItem.Bold = True
            If oCustomer.Status = csClosed Then oItem.ForeColor = vbGrayText
            If oCustomer.Id = lSelected Then oItem.Selected = True
        End If
    Next oCustomer
    ShowBusy False

    frmMDI.SetStatus lvwCustomers.ListItems.Count & " of " & gCustomers.Count & " customers"
    frmMDI.UpdateCaption
End Sub

' Creates a customer and opens the dialog; removed again on Cancel
Public Sub NewCustomer()
    Dim oCustomer As clsCustomer

    On Error GoTo ErrHandler

    Set oCustomer = gCustomers.Add("")
    If frmCustomer.EditCustomer(oCustomer) Then
        gDirty = True
        RefreshList
    Else
        gCustomers.Remove oCustomer.Key
    End If
    Exit Sub

ErrHandler:
    ShowError "frmMain.NewCustomer"
End Sub

Private Sub Form_Load()
    mFilter = CInt(GetSetting(APP_TITLE, "List", "Filter", "-1"))
    If mFilter < -1 Or mFilter > csClosed Then mFilter = -1

    mLoading = True
    optFilter(mFilter + 1).Value = True
    mLoading = False

    RefreshList
End Sub

Private Sub Form_Resize()
    If Me.WindowState = vbMinimized Then Exit Sub

    ' the form may be made smaller than the controls
    On Error Resume Next
    lvwCustomers.Move 0, picFilter.Height, Me.ScaleWidth, Me.ScaleHeight - picFilter.Height - picButtons.Height
    cmdClose.Left = picButtons.ScaleWidth - cmdClose.Width - 120
End Sub

Private Sub Form_Unload(Cancel As Integer)
    SaveSetting APP_TITLE, "List", "Filter", CStr(mFilter)
End Sub

Private Sub optFilter_Click(Index As Integer)
    ' option 0 = all, options 1 to 3 = csActive to csClosed
    mFilter = Index - 1
    If Not mLoading Then RefreshList
End Sub

Private Sub cmdFind_Click()
    RefreshList
    If lvwCustomers.ListItems.Count > 0 Then lvwCustomers.SetFocus
End Sub

Private Sub txtSearch_KeyPress(KeyAscii As Integer)
    If KeyAscii = vbKeyReturn Then KeyAscii = 0: cmdFind_Click
End Sub

Private Sub cmdNew_Click()
    NewCustomer
End Sub

Private Sub cmdEdit_Click()
    Dim oCustomer As clsCustomer

    Set oCustomer = SelectedCustomer()
    If oCustomer Is Nothing Then
        Beep
        Exit Sub
    End If

    If frmCustomer.EditCustomer(oCustomer) Then
        gDirty = True
        RefreshList
    End If
End Sub

Private Sub cmdDelete_Click()
    Dim oCustomer As clsCustomer

    Set oCustomer = SelectedCustomer()
    If oCustomer Is Nothing Then Exit Sub

    If MsgBox("Delete customer """ & oCustomer.Name & """ and " & oCustomer.OrderCount & " order(s)?", _
              vbQuestion + vbYesNo + vbDefaultButton2, APP_TITLE) = vbNo Then Exit Sub

    Debug.Print "Deleted: " & oCustomer.Summary
    gCustomers.Remove oCustomer.Key
    gDirty = True
    RefreshList
End Sub

Private Sub cmdClose_Click()
    Unload Me
End Sub

Private Sub lvwCustomers_ColumnClick(ByVal ColumnHeader As MSComctlLib.ColumnHeader)
    With lvwCustomers
        If .SortKey = ColumnHeader.Index - 1 Then
            .SortOrder = IIf(.SortOrder = lvwAscending, lvwDescending, lvwAscending)
        Else
            .SortKey = ColumnHeader.Index - 1
            .SortOrder = lvwAscending
        End If
        .Sorted = True
    End With
End Sub

Private Sub lvwCustomers_DblClick()
    cmdEdit_Click
End Sub

Private Sub lvwCustomers_KeyDown(KeyCode As Integer, Shift As Integer)
    Select Case KeyCode
        Case vbKeyReturn
            cmdEdit_Click
        Case vbKeyDelete
            cmdDelete_Click
    End Select
End Sub

Private Sub lvwCustomers_MouseUp(Button As Integer, Shift As Integer, x As Single, y As Single)
    If Button = vbRightButton Then PopupMenu mnuList
End Sub

Private Sub mnuList_Click()
    Dim oCustomer As clsCustomer
    Dim i As Integer

    Set oCustomer = SelectedCustomer()
    mnuListEdit.Enabled = Not (oCustomer Is Nothing)
    mnuListDelete.Enabled = mnuListEdit.Enabled
    mnuListStatus.Enabled = mnuListEdit.Enabled

    For i = mnuListStatusSet.LBound To mnuListStatusSet.UBound
        If oCustomer Is Nothing Then
            mnuListStatusSet(i).Checked = False
        Else
            mnuListStatusSet(i).Checked = (oCustomer.Status = i)
        End If
    Next i
End Sub

Private Sub mnuListEdit_Click()
    cmdEdit_Click
End Sub

Private Sub mnuListDelete_Click()
    cmdDelete_Click
End Sub

Private Sub mnuListStatusSet_Click(Index As Integer)
    Dim oCustomer As clsCustomer

    Set oCustomer = SelectedCustomer()
    If oCustomer Is Nothing Then Exit Sub

    oCustomer.Status = Index
    gDirty = True
    RefreshList
End Sub

Private Function SelectedCustomer() As clsCustomer
    If lvwCustomers.SelectedItem Is Nothing Then Exit Function
    Set SelectedCustomer = gCustomers(lvwCustomers.SelectedItem.Key)
End Function

Private Function SelectedId() As Long
    Dim oCustomer As clsCustomer

    Set oCustomer = SelectedCustomer()
    If Not oCustomer Is Nothing Then SelectedId = oCustomer.Id
End Function

' True when the customer has the status chosen in fraFilter and the search
' text appears in the name or the city
Private Function MatchesFilter(ByVal Customer As clsCustomer, ByVal Search As String) As Boolean
    If mFilter >= 0 Then
        If Customer.Status <> mFilter Then Exit Function
    End If
    If Len(Search) > 0 Then
        If InStr(1, Customer.Name, Search, vbTextCompare) = 0 And _
           InStr(1, Customer.Address.City, Search, vbTextCompare) = 0 Then Exit Function
    End If
    MatchesFilter = True
End Function
