VERSION 5.00
Begin VB.Form frmCustomer 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Customer"
   ClientHeight    =   6120
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   6615
   BeginProperty Font 
      Name            =   "Tahoma"
      Size            =   8.25
      Charset         =   0
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   Icon            =   "frmCustomer.frx":0000
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   6120
   ScaleWidth      =   6615
   ShowInTaskbar   =   0   'False
   StartUpPosition =   1  'CenterOwner
   Begin VB.CommandButton cmdCancel 
      Cancel          =   -1  'True
      Caption         =   "Cancel"
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
      Left            =   5280
      TabIndex        =   20
      Top             =   5640
      Width           =   1215
   End
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
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
      Left            =   3960
      TabIndex        =   19
      Top             =   5640
      Width           =   1215
   End
   Begin VB.TextBox txtNotes 
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   1095
      Left            =   1200
      MultiLine       =   -1  'True
      ScrollBars      =   2  'Vertical
      TabIndex        =   18
      Top             =   3240
      Width           =   5295
   End
   Begin VB.Frame fraStatus 
      Caption         =   "Status"
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   1680
      Left            =   4440
      TabIndex        =   12
      Top             =   1440
      Width           =   2055
      Begin VB.CheckBox chkVip 
         Caption         =   "&VIP customer"
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
         TabIndex        =   16
         Top             =   1260
         Width           =   1815
      End
      Begin VB.OptionButton optStatus 
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
         Index           =   2
         Left            =   120
         TabIndex        =   15
         Top             =   900
         Width           =   1815
      End
      Begin VB.OptionButton optStatus 
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
         Index           =   1
         Left            =   120
         TabIndex        =   14
         Top             =   600
         Width           =   1815
      End
      Begin VB.OptionButton optStatus 
         Caption         =   "&Active"
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
         TabIndex        =   13
         Top             =   300
         Value           =   -1  'True
         Width           =   1815
      End
   End
   Begin VB.Frame fraAddress 
      Caption         =   "Address"
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   1680
      Left            =   120
      TabIndex        =   4
      Top             =   1440
      Width           =   4215
      Begin VB.ComboBox cboCountry 
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
         ItemData        =   "frmCustomer.frx":030A
         Left            =   1080
         List            =   "frmCustomer.frx":0329
         Style           =   2  'Dropdown List
         TabIndex        =   11
         Top             =   1125
         Width           =   3015
      End
      Begin VB.TextBox txtCity 
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
         Left            =   2040
         TabIndex        =   9
         Top             =   720
         Width           =   2055
      End
      Begin VB.TextBox txtZip 
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
         Left            =   1080
         MaxLength       =   10
         TabIndex        =   8
         Top             =   720
         Width           =   855
      End
      Begin VB.TextBox txtStreet 
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
         Left            =   1080
         TabIndex        =   6
         Top             =   315
         Width           =   3015
      End
      Begin VB.Label lblCountry 
         Caption         =   "C&ountry:"
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
         TabIndex        =   10
         Top             =   1170
         Width           =   855
      End
      Begin VB.Label lblZip 
         Caption         =   "&ZIP, city:"
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
         TabIndex        =   7
         Top             =   765
         Width           =   855
      End
      Begin VB.Label lblStreet 
         Caption         =   "St&reet:"
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
         TabIndex        =   5
         Top             =   360
         Width           =   855
      End
   End
   Begin VB.TextBox txtEmail 
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
      Left            =   1200
      TabIndex        =   3
      Top             =   960
      Width           =   5295
   End
   Begin VB.TextBox txtName 
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
      Left            =   1200
      MaxLength       =   60
      TabIndex        =   1
      Top             =   555
      Width           =   5295
   End
   Begin VB.Label lblInfo 
      Caption         =   $"frmCustomer.frx":03B8
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      ForeColor       =   &H00808080&
      Height          =   975
      Left            =   120
      TabIndex        =   22
      Top             =   4500
      Width           =   6375
   End
   Begin VB.Label lblNotes 
      Caption         =   "No&tes:"
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
      TabIndex        =   17
      Top             =   3285
      Width           =   975
   End
   Begin VB.Label lblEmail 
      Caption         =   "&E-mail:"
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
      TabIndex        =   2
      Top             =   1005
      Width           =   975
   End
   Begin VB.Label lblName 
      Caption         =   "&Name:"
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
      TabIndex        =   0
      Top             =   600
      Width           =   975
   End
   Begin VB.Label lblTitle 
      Caption         =   "New customer"
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   9.75
         Charset         =   0
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   285
      Left            =   120
      TabIndex        =   21
      Top             =   120
      Width           =   6375
   End
End
Attribute VB_Name = "frmCustomer"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' frmCustomer - modal dialog to edit one customer
'
' Usage:  If frmCustomer.EditCustomer(oCustomer) Then ...
' The fields are written back to the object only when OK is pressed.
'---------------------------------------------------------------------------
Option Explicit

Private WithEvents mCustomer As clsCustomer
Attribute mCustomer.VB_VarHelpID = -1
Private mOK As Boolean
Private mDirty As Boolean
Private mLoading As Boolean

'---------------------------------------------------------------------------
' EditCustomer
' Shows the dialog for Customer. Returns True when the user pressed OK.
'---------------------------------------------------------------------------
Public Function EditCustomer(ByVal Customer As clsCustomer) As Boolean
    mOK = False
    Set mCustomer = Customer

    Load Me
    LoadFields
    Me.Show vbModal, frmMDI

    EditCustomer = mOK
    Unload Me
End Function

Private Sub Form_Load()
    mDirty = False
    cboCountry.ToolTipText = "Country of the delivery address"
End Sub

Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    ' the X button works like Cancel, but asks first when something was typed
    If UnloadMode = vbFormControlMenu Then
        Cancel = True
        If mDirty Then
            If MsgBox("Discard your changes?", vbQuestion + vbYesNo, Me.Caption) = vbNo Then Exit Sub
        End If
        mOK = False
        Me.Hide
    End If
End Sub

Private Sub Form_Unload(Cancel As Integer)
    Set mCustomer = Nothing
End Sub

Private Sub cmdOK_Click()
    On Error GoTo ErrHandler

    If Len(Trim$(txtName.Text)) = 0 Then
        MsgBox "Please enter a name.", vbExclamation, Me.Caption
        txtName.SetFocus
        Exit Sub
    End If
    If Len(txtEmail.Text) > 0 And Not IsValidEmail(txtEmail.Text) Then
        MsgBox "This is not a valid e-mail address.", vbExclamation, Me.Caption
        txtEmail.SetFocus
        Exit Sub
    End If

    SaveFields
    mCustomer.Validate
    mOK = True
    Me.Hide
    Exit Sub

ErrHandler:
    MsgBox Err.Description, vbExclamation, Me.Caption
End Sub

Private Sub cmdCancel_Click()
    mOK = False
    Me.Hide
End Sub

Private Sub optStatus_Click(Index As Integer)
    ' a closed customer cannot be a VIP
    chkVip.Enabled = (Index <> csClosed)
    If Index = csClosed Then chkVip.Value = vbUnchecked
    MarkDirty
End Sub

Private Sub chkVip_Click()
    MarkDirty
End Sub

Private Sub cboCountry_Click()
    MarkDirty
End Sub

Private Sub txtName_Change()
    cmdOK.Enabled = (Len(Trim$(txtName.Text)) > 0)
    MarkDirty
End Sub

' Names typed all in lower case get capitals: "café müller" -> "Café Müller"
Private Sub txtName_Validate(Cancel As Boolean)
    If txtName.Text = LCase$(txtName.Text) Then
        txtName.Text = ProperCase(txtName.Text)
    End If
End Sub

Private Sub txtEmail_Change()
    MarkDirty
End Sub

Private Sub txtStreet_Change()
    MarkDirty
End Sub

' Only digits, except for countries with letters in the postcode
Private Sub txtZip_KeyPress(KeyAscii As Integer)
    Select Case Left$(cboCountry.Text, 2)
        Case "GB", "NL"
            Exit Sub
    End Select

    Select Case KeyAscii
        Case vbKey0 To vbKey9, vbKeyBack
        Case Else
            KeyAscii = 0
            Beep
    End Select
End Sub

Private Sub txtNotes_Change()

End Sub

Private Sub txtNotes_LostFocus()
    If txtNotes.Text <> mCustomer.Notes Then MarkDirty
End Sub

' The caption follows the name once it was saved to the object
Private Sub mCustomer_Changed(ByVal PropertyName As String)
    If PropertyName = "Name" Then Me.Caption = "Customer - " & mCustomer.Name
End Sub

Private Sub MarkDirty()
    If Not mLoading Then mDirty = True
End Sub

Private Sub LoadFields()
    Dim i As Integer

    mLoading = True
    With mCustomer
        If Len(.Name) = 0 Then
            lblTitle.Caption = "New customer"
            Me.Caption = "New customer"
        Else
            lblTitle.Caption = "Customer " & Format$(.Id, "00000") & ": " & .OrderCount & " order(s), " & FormatMoney(.OrderTotal)
            Me.Caption = "Customer - " & .Name
        End If

        txtName.Text = .Name
        txtEmail.Text = .Email
        txtStreet.Text = .Address.Street
        txtZip.Text = .Address.ZipCode
        txtCity.Text = .Address.City
        txtNotes.Text = .Notes
        chkVip.Value = IIf(.Vip, vbChecked, vbUnchecked)
        optStatus(.Status).Value = True

        cboCountry.ListIndex = -1
        For i = 0 To cboCountry.ListCount - 1
            If Left$(cboCountry.List(i), 2) = .Address.Country Then
                cboCountry.ListIndex = i
                Exit For
            End If
        Next i
    End With
    mLoading = False

    mDirty = False
    cmdOK.Enabled = (Len(txtName.Text) > 0)
End Sub

Private Sub SaveFields()
    With mCustomer
        .Name = txtName.Text
        .Email = txtEmail.Text
        .Notes = txtNotes.Text
        .Vip = (chkVip.Value = vbChecked)
        .Status = SelectedStatus()
        With .Address
            .Street = txtStreet.Text
            .ZipCode = txtZip.Text
            .City = txtCity.Text
            If cboCountry.ListIndex >= 0 Then .Country = Left$(cboCountry.Text, 2)
        End With
    End With
End Sub

Private Function SelectedStatus() As CustomerStatus
    Dim i As Integer

    For i = optStatus.LBound To optStatus.UBound
        If optStatus(i).Value Then
            SelectedStatus = i
            Exit Function
        End If
    Next i
End Function
