VERSION 5.00
Begin VB.UserControl ctlStatusBar 
   Alignable       =   -1  'True
   ClientHeight    =   315
   ClientLeft      =   0
   ClientTop       =   0
   ClientWidth     =   6375
   ScaleHeight     =   315
   ScaleWidth      =   6375
   ToolboxBitmap   =   "ctlStatusBar.ctx":0000
   Begin VB.Timer tmrClock 
      Interval        =   1000
      Left            =   4680
      Top             =   0
   End
   Begin VB.Label lblClock 
      Alignment       =   2  'Center
      BorderStyle     =   1  'Fixed Single
      Caption         =   "00:00"
      Height          =   285
      Left            =   5520
      TabIndex        =   1
      Top             =   15
      Width           =   840
   End
   Begin VB.Label lblText 
      BorderStyle     =   1  'Fixed Single
      Caption         =   "Ready"
      Height          =   285
      Left            =   15
      TabIndex        =   0
      Top             =   15
      Width           =   5460
   End
End
Attribute VB_Name = "ctlStatusBar"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' ctlStatusBar - simple status bar: a text panel and a clock
'
' Alignable, so it can sit on the MDI form: set Align = 2 (Align Bottom).
' The clock shows the date as well after a double-click.
'---------------------------------------------------------------------------
Option Explicit

' Raised when the user clicks the text panel
Public Event Click()
' Raised when the user double-clicks the clock
Public Event ClockDblClick()

Private Const DEF_CAPTION As String = ""
Private Const DEF_SHOWCLOCK As Boolean = True
Private Const GAP As Long = 15

Private mShowClock As Boolean
Private mShowDate As Boolean

Public Property Get Caption() As String
Attribute Caption.VB_Description = "Text in the left panel"
Attribute Caption.VB_UserMemId = -518
    Caption = lblText.Caption
End Property

Public Property Let Caption(ByVal Value As String)
    lblText.Caption = Value
    PropertyChanged "Caption"
End Property

Public Property Get ShowClock() As Boolean
Attribute ShowClock.VB_Description = "Show the clock panel on the right"
    ShowClock = mShowClock
End Property

Public Property Let ShowClock(ByVal Value As Boolean)
    mShowClock = Value
    lblClock.Visible = Value
    tmrClock.Enabled = Value And Ambient.UserMode
    UserControl_Resize
    PropertyChanged "ShowClock"
End Property

Private Sub UserControl_InitProperties()
    lblText.Caption = Extender.Name
    ShowClock = DEF_SHOWCLOCK
End Sub

Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    lblText.Caption = PropBag.ReadProperty("Caption", DEF_CAPTION)
    ShowClock = PropBag.ReadProperty("ShowClock", DEF_SHOWCLOCK)
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    PropBag.WriteProperty "Caption", lblText.Caption, DEF_CAPTION
    PropBag.WriteProperty "ShowClock", mShowClock, DEF_SHOWCLOCK
End Sub

Private Sub UserControl_Resize()
    Dim lTextWidth As Long

    lblText.Move GAP, GAP
    lblText.Height = ScaleHeight - 2 * GAP
    lblClock.Height = lblText.Height

    lTextWidth = ScaleWidth - 2 * GAP
    If mShowClock Then
        lblClock.Move ScaleWidth - lblClock.Width - GAP, GAP
        lTextWidth = lTextWidth - lblClock.Width - GAP
    End If
    If lTextWidth > 0 Then lblText.Width = lTextWidth
End Sub

Private Sub tmrClock_Timer()
    If mShowDate Then
        lblClock.Caption = Format$(Now, "dd.mm. hh:nn")
    Else
        lblClock.Caption = Format$(Time, "hh:nn")
    End If
End Sub

Private Sub lblText_Click()
    RaiseEvent Click
End Sub

Private Sub lblClock_DblClick()
    mShowDate = Not mShowDate
    lblClock.Width = IIf(mShowDate, 1200, 840)
    UserControl_Resize
    tmrClock_Timer
    RaiseEvent ClockDblClick
End Sub
