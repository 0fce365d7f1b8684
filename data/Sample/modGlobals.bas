Attribute VB_Name = "modGlobals"
'---------------------------------------------------------------------------
' modGlobals - shared types, constants and helper routines of Orders
'
' Author : J. Hofmann
' Created: 14.03.2003
' Changes: 02.02.2004  order lines, VAT
'          11.03.2004  recent file list, CSV import (see modErrors)
'---------------------------------------------------------------------------
Option Explicit

' --- Windows API -----------------------------------------------------------
Private Declare Function GetPrivateProfileString Lib "kernel32" _
    Alias "GetPrivateProfileStringA" (ByVal lpApplicationName As String, _
    ByVal lpKeyName As Any, ByVal lpDefault As String, _
    ByVal lpReturnedString As String, ByVal nSize As Long, _
    ByVal lpFileName As String) As Long
Private Declare Function WritePrivateProfileString Lib "kernel32" Alias "WritePrivateProfileStringA" (ByVal lpApplicationName As String, ByVal lpKeyName As Any, ByVal lpString As Any, ByVal lpFileName As String) As Long
Private Declare Function GetComputerName Lib "kernel32" Alias "GetComputerNameA" (ByVal lpBuffer As String, nSize As Long) As Long

' --- Constants -------------------------------------------------------------
Public Const APP_TITLE As String = "Orders"
Public Const INI_FILE As String = "Orders.ini"
Public Const HOME_COUNTRY As String = "DE"
Public Const MAX_RECENT As Integer = 4
Public Const FIELD_SEP As String = vbTab

Private Const VAT_RATE As Double = 0.16         ' German VAT since 1998, amounts are in €
Private Const MAX_COMPUTERNAME As Long = 15
Private Const FILE_HEADER As String = "; Orders customer file"

' --- Types -----------------------------------------------------------------
Public Enum CustomerStatus
    csActive = 0
    csOnHold = 1
    csClosed = 2
End Enum

Public Type OrderLine
    OrderNo As Long
    ItemNo As String * 8
    Description As String
    Quantity As Integer
    UnitPrice As Currency
    OrderDate As Date
End Type

Public Type AppSettings
    DataPath As String
    LastFile As String
    Recent(1 To MAX_RECENT) As String
    ShowClock As Boolean
    WindowState As Integer
End Type

' --- Globals ---------------------------------------------------------------
Public gSettings As AppSettings
Public gCustomers As clsCustomers
Public gDirty As Boolean

Private mNextOrderNo As Long

'---------------------------------------------------------------------------
' Main
' Program entry point (Project Properties: Startup Object = Sub Main).
'---------------------------------------------------------------------------
Public Sub Main()
    If App.PrevInstance Then
        MsgBox "Orders is already running.", vbInformation, APP_TITLE
        Exit Sub
    End If

    LoadSettings
    Set gCustomers = New clsCustomers

    ' open the file of the last session, if it still exists
    If Len(gSettings.LastFile) > 0 Then
        If FileExists(gSettings.LastFile) Then
            If Not OpenDataFile(gSettings.LastFile) Then
                gSettings.LastFile = ""
            End If
        Else
            gSettings.LastFile = ""
        End If
    End If

    frmMDI.Show
End Sub

'---------------------------------------------------------------------------
' ReadIni
' Reads one value from Orders.ini in the program folder.
'---------------------------------------------------------------------------
Private Function ReadIni(ByVal Section As String, ByVal Key As String, _
                         Optional ByVal Default As String = "") As String
    Dim sBuffer As String
    Dim lLen As Long

    sBuffer = String$(255, vbNullChar)
    lLen = GetPrivateProfileString(Section, Key, Default, sBuffer, Len(sBuffer), IniPath())
    ReadIni = Left$(sBuffer, lLen)
End Function

' Writes one value to Orders.ini.
Public Sub WriteIni(ByVal Section As String, ByVal Key As String, ByVal Value As String)
    WritePrivateProfileString Section, Key, Value, IniPath()
End Sub

' Full path of Orders.ini (next to the EXE)
Private Function IniPath() As String
    IniPath = AddBackslash(App.Path) & INI_FILE
End Function

' "C:\Data" -> "C:\Data\"; a path that already ends in "\" is unchanged.
Public Function AddBackslash(ByVal Path As String) As String
    If Right$(Path, 1) <> "\" Then Path = Path & "\"
    AddBackslash = Path
End Function

' True when the file exists (hidden and read-only files count too)
Public Function FileExists(ByVal FileName As String) As Boolean
    FileExists = (Len(Dir$(FileName, vbNormal Or vbHidden Or vbReadOnly)) > 0)
End Function

' Reads window state, data folder and the recently used files.
Public Sub LoadSettings()
    Dim i As Integer

    With gSettings
        .DataPath = ReadIni("General", "DataPath", App.Path)
        .LastFile = ReadIni("General", "LastFile")
        .ShowClock = (ReadIni("General", "ShowClock", "1") = "1")
        .WindowState = Val(ReadIni("Window", "State", CStr(vbNormal)))
        For i = 1 To MAX_RECENT
            .Recent(i) = ReadIni("Recent", "File" & i)
        Next i
    End With
End Sub

' Counterpart of LoadSettings, called from frmMDI on exit
Public Sub SaveSettings()
    Dim i As Integer

    With gSettings
        WriteIni "General", "DataPath", .DataPath
        WriteIni "General", "LastFile", .LastFile
        WriteIni "General", "ShowClock", IIf(.ShowClock, "1", "0")
        WriteIni "Window", "State", CStr(.WindowState)
        For i = 1 To MAX_RECENT
            WriteIni "Recent", "File" & i, .Recent(i)
        Next i
    End With
End Sub

' Puts FileName at the top of the recent file list. A name that is already
' in the list moves up, otherwise the oldest entry drops out.
Public Sub AddRecentFile(ByVal FileName As String)
    Dim i As Integer
    Dim nFound As Integer

    With gSettings
        nFound = MAX_RECENT
        For i = 1 To MAX_RECENT
            If StrComp(.Recent(i), FileName, vbTextCompare) = 0 Then
                nFound = i
                Exit For
            End If
        Next i

        For i = nFound To 2 Step -1
            .Recent(i) = .Recent(i - 1)
        Next i
        .Recent(1) = FileName
    End With
End Sub

'---------------------------------------------------------------------------
' LoadCustomers
' Reads a customer file. Each line is one record, fields are separated by
' tabs:
'   C  Id  Name  E-mail  Status  VIP  Street  ZIP  City  Country  Notes
'   O  OrderNo  ItemNo  Description  Quantity  UnitPrice  Date
' An "O" line belongs to the last "C" line above it. Lines starting with
' ";" are comments. Errors are handled by the caller (OpenDataFile).
'---------------------------------------------------------------------------
Public Sub LoadCustomers(ByVal FileName As String)
    Dim hFile As Integer
    Dim sLine As String
    Dim vFields As Variant
    Dim oCustomer As clsCustomer
    Dim tItem As OrderLine
    Dim lLineNo As Long

    Set gCustomers = New clsCustomers
    mNextOrderNo = 1
    hFile = FreeFile
    Open FileName For Input As #hFile

    Do While Not EOF(hFile)
        Line Input #hFile, sLine
        lLineNo = lLineNo + 1
        sLine = Trim$(sLine)
        If Len(sLine) = 0 Then GoTo NextLine
        If Left$(sLine, 1) = ";" Then GoTo NextLine

        vFields = Split(sLine, FIELD_SEP)
        Select Case UCase$(vFields(0))
            Case "C"
                If UBound(vFields) < 10 Then
                    Debug.Print "Short customer record in line " & lLineNo
                    GoTo NextLine
                End If
                Set oCustomer = gCustomers.Add(vFields(2), CLng(vFields(1)))
                With oCustomer
                    .Email = vFields(3)
                    .Status = CInt(vFields(4))
                    .Vip = (vFields(5) = "1")
                    .Address.Street = vFields(6)
                    .Address.ZipCode = vFields(7)
                    .Address.City = vFields(8)
                    .Address.Country = vFields(9)
                    .Notes = UnescapeText(vFields(10))
                End With

            Case "O"
                If oCustomer Is Nothing Then
                    Debug.Print "Order line without customer in line " & lLineNo
                Else
                    With tItem
                        .OrderNo = CLng(vFields(1))
                        .ItemNo = vFields(2)
                        .Description = vFields(3)
                        .Quantity = CInt(vFields(4))
                        .UnitPrice = CCur(Val(vFields(5)))
                        .OrderDate = SafeCDate(vFields(6), Date)
                    End With
                    oCustomer.AddOrderLine tItem
                    If tItem.OrderNo >= mNextOrderNo Then mNextOrderNo = tItem.OrderNo + 1
                End If

            Case Else
                Debug.Print "Unknown record type '" & vFields(0) & "' in line " & lLineNo
        End Select
NextLine:
    Loop

    Close #hFile
    gSettings.LastFile = FileName
    AddRecentFile FileName
    gDirty = False
End Sub

'---------------------------------------------------------------------------
' SaveCustomers
' Writes all customers and their order lines (format see LoadCustomers).
'---------------------------------------------------------------------------
Public Sub SaveCustomers(ByVal FileName As String)
    Dim hFile As Integer
    Dim oCustomer As clsCustomer
    Dim tItem As OrderLine
    Dim i As Long

    hFile = FreeFile
    Open FileName For Output As #hFile
    Print #hFile, FILE_HEADER & " - saved " & Format$(Now, "yyyy-mm-dd hh:nn") & " on " & GetMachineName()

    For Each oCustomer In gCustomers
        With oCustomer
            Print #hFile, JoinFields("C", .Id, .Name, .Email, CInt(.Status), IIf(.Vip, 1, 0), _
                .Address.Street, .Address.ZipCode, .Address.City, .Address.Country, EscapeText(.Notes))
            For i = 0 To .OrderCount - 1
                tItem = .GetOrderLine(i)
                Print #hFile, JoinFields("O", tItem.OrderNo, Trim$(tItem.ItemNo), tItem.Description, _
                    tItem.Quantity, Trim$(Str$(tItem.UnitPrice)), Format$(tItem.OrderDate, "yyyy-mm-dd"))
            Next i
        End With
    Next oCustomer

    Close #hFile
    gSettings.LastFile = FileName
    AddRecentFile FileName
    gDirty = False
End Sub

' Joins any number of values to one record line. A separator inside a
' value is replaced by a blank.
Public Function JoinFields(ParamArray Fields() As Variant) As String
    Dim i As Integer
    Dim sResult As String

    For i = LBound(Fields) To UBound(Fields)
        If i > LBound(Fields) Then sResult = sResult & FIELD_SEP
        sResult = sResult & Replace(CStr(Fields(i)), FIELD_SEP, " ")
    Next i
    JoinFields = sResult
End Function

' Notes may hold line breaks; in the file they are written as \n.
Public Function EscapeText(ByVal Text As String) As String
    Text = Replace(Text, "\", "\\")
    Text = Replace(Text, vbCrLf, "\n")
    EscapeText = Replace(Text, vbTab, "\t")
End Function

' Reverse of EscapeText
Public Function UnescapeText(ByVal Text As String) As String
    Dim i As Long
    Dim sChar As String
    Dim sResult As String

    i = 1
    Do While i <= Len(Text)
        sChar = Mid$(Text, i, 1)
        If sChar = "\" And i < Len(Text) Then
            i = i + 1
            Select Case Mid$(Text, i, 1)
                Case "n": sChar = vbCrLf
                Case "t": sChar = vbTab
                Case Else: sChar = Mid$(Text, i, 1)
            End Select
        End If
        sResult = sResult & sChar
        i = i + 1
    Loop
    UnescapeText = sResult
End Function

' Collection keys must not be numbers, so customer 17 gets the key "K17".
Public Function MakeKey(ByVal Id As Long) As String ' <<>>
    MakeKey = "K" & CStr(Id)
End Function

'---------------------------------------------------------------------------
' NextOrderNo
' Returns a new order number. The whole function is Static, so lLast keeps
' its value from one call to the next.
'---------------------------------------------------------------------------
Static Function NextOrderNo() As Long
    Dim lLast As Long

    If lLast < mNextOrderNo - 1 Then lLast = mNextOrderNo - 1
    lLast = lLast + 1
    NextOrderNo = lLast
End Function

'---------------------------------------------------------------------------
' ShowBusy
' Hourglass on/off. Calls may be nested: the normal pointer comes back
' with the last ShowBusy False.
'---------------------------------------------------------------------------
Public Static Sub ShowBusy(ByVal Busy As Boolean)
    Dim nDepth As Integer

    If Busy Then
        nDepth = nDepth + 1
        Screen.MousePointer = vbHourglass
    Else
        If nDepth > 0 Then nDepth = nDepth - 1
        If nDepth = 0 Then Screen.MousePointer = vbDefault
    End If
End Sub

'---------------------------------------------------------------------------
' Subtotal
' Adds up the first Count order lines. Net and Vat are returned through
' the ByRef parameters; lines with a quantity of zero are skipped.
'---------------------------------------------------------------------------
Public Sub Subtotal(Lines() As OrderLine, ByVal Count As Long, Net As Currency, Vat As Currency)
    Dim i As Long

    Net = 0
    For i = LBound(Lines) To LBound(Lines) + Count - 1
        With Lines(i)
            If .Quantity > 0 Then
                Net = Net + .Quantity * .UnitPrice
            End If
        End With
    Next i
    Vat = CCur(Round(Net * VAT_RATE, 2))
End Sub

' 1234.5 -> "1.234,50 €" (separators as set in the Control Panel)
Public Function FormatMoney(ByVal Amount As Currency) As String
    FormatMoney = Format$(Amount, "#,##0.00") & " €"
End Function

'---------------------------------------------------------------------------
' FunctionList
' Text for Help > Keyboard: one line per command with its key.
'---------------------------------------------------------------------------
Public Function FunctionList() As String
    Dim vItems As Variant
    Dim i As Integer
    Dim sText As String

    vItems = Array("Ctrl+N", "New customer", _
                   "Ctrl+O", "Open a customer file", _
                   "Ctrl+S", "Save", _
                   "F2", "Customer list", _
                   "Enter", "Edit the selected customer", _
                   "Del", "Delete the selected customer", _
                   "F1", "This list")

    For i = LBound(vItems) To UBound(vItems) Step 2
        sText = sText & PadRight(vItems(i), 10) & vItems(i + 1) & vbCrLf
    Next i
    FunctionList = sText
End Function

' Cuts or fills Text with blanks to exactly Width characters
Public Function PadRight(ByVal Text As String, ByVal Width As Integer) As String
    If Len(Text) >= Width Then
        PadRight = Left$(Text, Width)
    Else
        PadRight = Text & Space$(Width - Len(Text))
    End If
End Function

' "hans MÜLLER" -> "Hans Müller". Name particles such as "von" or "van"
' stay lower case.
Public Function ProperCase(ByVal Text As String) As String
    Dim vWords As Variant
    Dim i As Integer
    Dim sWord As String

    vWords = Split(Trim$(Text), " ")
    For i = 0 To UBound(vWords)
        sWord = LCase$(vWords(i))
        Select Case sWord
            Case "von", "van", "de", "der", "da", "la", "y"
                ' keep as it is
            Case Else
                If Len(sWord) > 0 Then
                    sWord = UCase$(Left$(sWord, 1)) & Mid$(sWord, 2)
                End If
        End Select
        vWords(i) = sWord
    Next i
    ProperCase = Join(vWords, " ")
End Function

' A simple check, not the full RFC: one "@", a dot after it and only
' plain characters.
Public Function IsValidEmail(ByVal Address As String) As Boolean
    Dim nAt As Integer
    Dim i As Integer

    Address = LCase$(Trim$(Address))
    nAt = InStr(Address, "@")
    If nAt < 2 Then Exit Function
    If InStr(nAt + 1, Address, "@") > 0 Then Exit Function
    If InStr(nAt, Address, ".") = 0 Then Exit Function

    For i = 1 To Len(Address)
        Select Case Mid$(Address, i, 1)
            Case "a" To "z", "0" To "9"
            Case ".", "-", "_", "@", "+"
            Case Else
                Exit Function
        End Select
    Next i

    IsValidEmail = (Right$(Address, 1) <> ".")
End Function

' Country names in the language of the country, for address labels
Public Function CountryName(ByVal Code As String) As String
    Select Case UCase$(Code)
        Case "DE": CountryName = "Deutschland"
        Case "AT": CountryName = "Österreich"
        Case "CH": CountryName = "Schweiz"
        Case "FR": CountryName = "France"
        Case "ES": CountryName = "España"
        Case "DK": CountryName = "Danmark"
        Case "GB", "UK": CountryName = "United Kingdom"
        Case Else: CountryName = UCase$(Code)
    End Select
End Function

'---------------------------------------------------------------------------
' FormatAddress
' Builds the address block for labels (MultiLine = True) or the list.
' The country is only added for customers abroad.
'---------------------------------------------------------------------------
Public Function FormatAddress(ByVal Address As clsAddress, ByVal MultiLine As Boolean) As String
    Dim sResult As String
    Dim sPart As String
    Dim sSep As String

    If Address Is Nothing Then Exit Function
    If MultiLine Then sSep = vbCrLf Else sSep = ", "

    sPart = Address.Street
    GoSub AppendPart
    sPart = Trim$(Address.ZipCode & " " & Address.City)
    GoSub AppendPart
    If Address.Country <> HOME_COUNTRY Then
        sPart = UCase$(CountryName(Address.Country))
        GoSub AppendPart
    End If

    FormatAddress = sResult
    Exit Function

AppendPart:
    If Len(sPart) > 0 Then
        If Len(sResult) > 0 Then sResult = sResult & sSep
        sResult = sResult & sPart
    End If
    Return
End Function

' Name of this computer, written into the file header and the log
Public Function GetMachineName() As String
    Dim sBuffer As String
    Dim lSize As Long

    lSize = MAX_COMPUTERNAME + 1
    sBuffer = Space$(lSize)
    If GetComputerName(sBuffer, lSize) <> 0 Then
        GetMachineName = Left$(sBuffer, lSize)
    Else
        GetMachineName = Environ$("COMPUTERNAME")
    End If
End Function

'---------------------------------------------------------------------------
' PrintCustomerList
' Reserved for the print module (Menu File > Print is not there yet).
'---------------------------------------------------------------------------
Public Sub PrintCustomerList()
End Sub
