' Calls: parentheses around a procedure's name, and members that hold arrays or objects.
Dim g

Sub SetG(v)
  g = v
End Sub
Function Twice(v)
  Twice = v * 2
End Function

Call (((SetG))) ((5))
AssertEq g, 5
Call (SetG)(6)
AssertEq g, 6
g = ((Twice))(4)
AssertEq g, 8

Class Holder
  Public Items, Grid, Map
  Private Sub Class_Initialize()
    Items = Array(4, 5)
    ReDim Grid(1, 2)
    Grid(1, 2) = "x"
    Set Map = CreateObject("Scripting.Dictionary")
    Map("k") = 3
  End Sub
  Function Second()
    Second = Me.Items(1)
  End Function
End Class

Dim h
Set h = New Holder
AssertEq h.Items(1), 5
AssertEq h.Second, 5
AssertEq h.Grid(1, 2), "x"
h.Grid(0, 1) = "y"
AssertEq h.Grid(0, 1), "y"
AssertEq UBound(h.Grid, 2), CLng(2)
AssertEq h.Map("k"), 3
h.Items(0) = 9
AssertEq h.Items(0), 9
