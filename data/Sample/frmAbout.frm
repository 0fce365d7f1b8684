VERSION 5.00
Begin VB.Form frmAbout 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "About Orders"
   ClientHeight    =   2535
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   4695
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   2535
   ScaleWidth      =   4695
   ShowInTaskbar   =   0   'False
   StartUpPosition =   1  'CenterOwner
   Begin VB.CommandButton cmdOK 
      Cancel          =   -1  'True
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   3480
      TabIndex        =   0
      Top             =   2040
      Width           =   1095
   End
   Begin VB.Line linSep 
      BorderColor     =   &H00808080&
      X1              =   120
      X2              =   4560
      Y1              =   1860
      Y2              =   1860
   End
   Begin VB.Label lblMachine 
      Caption         =   "Running on"
      Height          =   255
      Left            =   240
      TabIndex        =   4
      Top             =   1440
      Width           =   4215
   End
   Begin VB.Label lblCopyright 
      Caption         =   "© 2003-2004 J. Hofmann, Softwareentwicklung, Köln"
      Height          =   255
      Left            =   240
      TabIndex        =   3
      Top             =   1080
      Width           =   4215
   End
   Begin VB.Label lblVersion 
      Caption         =   "Version"
      Height          =   255
      Left            =   240
      TabIndex        =   2
      Top             =   720
      Width           =   4215
   End
   Begin VB.Label lblTitle 
      Caption         =   "Orders - customers and orders"
      BeginProperty Font 
         Name            =   "Arial"
         Size            =   12
         Charset         =   0
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   375
      Left            =   240
      TabIndex        =   1
      Top             =   240
      Width           =   4215
   End
End
Attribute VB_Name = "frmAbout"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    lblVersion.Caption = "Version " & App.Major & "." & App.Minor & "." & App.Revision
    lblMachine.Caption = "Running on " & GetMachineName() & ", data in " & gSettings.DataPath
End Sub

Private Sub cmdOK_Click()
    Unload Me
End Sub
