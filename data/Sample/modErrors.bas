Attribute VB_Name = "modErrors"
'---------------------------------------------------------------------------
' modErrors - error log and the file routines that trap their own errors
'
' Errors are written to Orders.log in the program folder:
'   date/time <TAB> source <TAB> number <TAB> description
'---------------------------------------------------------------------------
Option Explicit

Private Const LOG_FILE As String = "Orders.log"
Private Const ERR_FILE_NOT_FOUND As Long = 53
Private Const ERR_PERMISSION As Long = 70
Private Const ERR_PATH_ACCESS As Long = 75

'---------------------------------------------------------------------------
' LogError
' Appends one line to the log. Must never raise an error itself.
'---------------------------------------------------------------------------
Public Sub LogError(ByVal Source As String, ByVal Number As Long, ByVal Description As String, Optional ByVal LineNo As Long = 0)
    Dim hFile As Integer
    Dim sText As String

    On Error Resume Next

    sText = Format$(Now, "yyyy-mm-dd hh:nn:ss") & vbTab & Source & vbTab & Number & vbTab & Description
    If LineNo <> 0 Then sText = sText & " (line " & LineNo & ")"
    Debug.Print sText

    hFile = FreeFile
    Open AddBackslash(App.Path) & LOG_FILE For Append As #hFile
    Print #hFile, sText
    Close #hFile
End Sub

'---------------------------------------------------------------------------
' ShowError
' Standard message for unexpected errors in event procedures. Call it
' first thing in the error handler, before Err is cleared.
'---------------------------------------------------------------------------
Public Sub ShowError(ByVal Source As String)
    Dim lNumber As Long
    Dim sDescription As String

    lNumber = Err.Number
    sDescription = Err.Description
    LogError Source, lNumber, sDescription

    MsgBox "Error " & lNumber & " in " & Source & ":" & vbCrLf & vbCrLf & sDescription, _
           vbCritical, APP_TITLE
End Sub

'---------------------------------------------------------------------------
' OpenDataFile
' Loads a customer file. Returns False (after a message) when the file
' cannot be read.
'---------------------------------------------------------------------------
Public Function OpenDataFile(ByVal FileName As String) As Boolean
    On Error GoTo ErrHandler

    ShowBusy True
    LoadCustomers FileName
    ShowBusy False
    OpenDataFile = True
    Exit Function

ErrHandler:
    ShowBusy False
    LogError "modErrors.OpenDataFile", Err.Number, Err.Description
    MsgBox "The file " & FileName & " could not be read." & vbCrLf & vbCrLf & _
           Err.Description, vbExclamation, APP_TITLE
End Function

'---------------------------------------------------------------------------
' SaveDataFile
' Saves the customers. The old file is kept as .bak until the new one is
' complete.
'---------------------------------------------------------------------------
Public Sub SaveDataFile(ByVal FileName As String)
    Dim sBackup As String

    On Error GoTo ErrHandler

    ShowBusy True
    sBackup = Left$(FileName, InStrRev(FileName, ".")) & "bak"
    If FileExists(FileName) Then FileCopy FileName, sBackup

    SaveCustomers FileName

CleanUp:
    ShowBusy False
    Exit Sub

ErrHandler:
    Select Case Err.Number
        Case ERR_PERMISSION, ERR_PATH_ACCESS
            MsgBox "The file " & FileName & " is write-protected or in use.", vbExclamation, APP_TITLE
        Case Else
            LogError "modErrors.SaveDataFile", Err.Number, Err.Description
            MsgBox Err.Description, vbCritical, APP_TITLE
    End Select
    Resume CleanUp
End Sub

'---------------------------------------------------------------------------
' PurgeBackups
' Deletes old *.bak files in a folder. A file that is locked is reported
' and the next one is tried.
'---------------------------------------------------------------------------
Public Sub PurgeBackups(ByVal Folder As String)
    Dim sFile As String
    Dim colFiles As New Collection
    Dim vFile As Variant

    On Error GoTo ErrHandler

    sFile = Dir$(AddBackslash(Folder) & "*.bak")
    Do While Len(sFile) > 0
        colFiles.Add AddBackslash(Folder) & sFile
        sFile = Dir$
    Loop

    For Each vFile In colFiles
        Kill vFile
    Next vFile
    Exit Sub

ErrHandler:
    MsgBox Err.Description, vbExclamation, "Delete backups"
    Resume Next
End Sub

'---------------------------------------------------------------------------
' SafeCDate
' CDate without the error: returns Default for text that is not a date.
'---------------------------------------------------------------------------
Public Function SafeCDate(ByVal Text As String, Optional ByVal Default As Date = 0) As Date
    On Local Error GoTo BadDate

    SafeCDate = CDate(Text)
    Exit Function

BadDate:
    SafeCDate = Default
End Function

'---------------------------------------------------------------------------
' CollectionHasKey
' True when Col has an item with this key. Works for objects and values.
'---------------------------------------------------------------------------
Public Function CollectionHasKey(ByVal Col As Collection, ByVal Key As String) As Boolean
    Dim bDummy As Boolean

    On Error Resume Next
    bDummy = IsObject(Col.Item(Key))
    CollectionHasKey = (Err.Number = 0)
    On Error GoTo 0

    If Not CollectionHasKey Then Debug.Print "No item with key " & Key
End Function

'---------------------------------------------------------------------------
' ImportCsv
' Imports customers from a CSV export of the old address database
' (Name;E-mail;City;Country), e.g.
'   Müller GmbH;info@mueller-gmbh.de;München;DE
' Returns the number of customers added. The line numbers are there so
' that Erl can tell which statement failed (the log shows it).
'---------------------------------------------------------------------------
Public Function ImportCsv(ByVal FileName As String) As Long
    Dim hFile As Integer
    Dim sLine As String
    Dim vFields As Variant
    Dim lCount As Long
    Dim oCustomer As clsCustomer

10  On Error GoTo ErrHandler
20  hFile = FreeFile
30  Open FileName For Input As #hFile
40  Do While Not EOF(hFile)
50      Line Input #hFile, sLine
60      vFields = Split(sLine, ";")
70      If UBound(vFields) >= 3 Then
80          Set oCustomer = gCustomers.Add(ProperCase(vFields(0)))
90          oCustomer.Email = LCase$(Trim$(vFields(1)))
100         oCustomer.Address.City = Trim$(vFields(2))
110         oCustomer.Address.Country = UCase$(Trim$(vFields(3)))
120         lCount = lCount + 1
        End If
    Loop
130 Close #hFile
140 If lCount > 0 Then gDirty = True
150 ImportCsv = lCount
    Exit Function

ErrHandler:
    LogError "modErrors.ImportCsv", Err.Number, Err.Description, Erl
    MsgBox "The import stopped in line " & Erl & ":" & vbCrLf & Err.Description & vbCrLf & vbCrLf & _
           lCount & " customers were imported.", vbExclamation, APP_TITLE
    Close #hFile
    If lCount > 0 Then gDirty = True
    ImportCsv = lCount
End Function
