' Script level: arithmetic over global variables keeps VBScript's types, overflow and errors;
' fields of class instances read and written from outside keep their rules.
Dim a, b, c, n, k
a = 32767 : b = a + 1 : c = &H7FFFFFFF&
AssertEq TypeName(b) & TypeName(a - 1) & TypeName(c * 2) & (c * 2) & TypeName(b - 1), "LongIntegerDouble4294967294Long"
n = 0
For i = 1 To 10: n = n + (i Mod 3) * 2: Next
AssertEq n, 20
AssertEq i, 11
n = 32760
For k = 1 To 10: n = n + 1: Next
AssertEq n, CLng(32770)
n = "5" : n = n + 1
AssertEq n, CDbl(6)
n = -7
AssertEq n Mod 3, -1
AssertEq n \ 2, -3
AssertError "n = n Mod (a - a)", 11
' Globals written through Execute while a loop runs, and read by Eval.
n = 0
For k = 1 To 3: Execute "n = n + k": Next
AssertEq Eval("n * 2"), 12

Class Pair
  Public Key, Value
  Private Secret
End Class
Class Other
  Public Value, Key
End Class
Set p = New Pair : Set q = New Other
p.Value = 1 : p.Value = p.Value + 1
AssertEq p.Value, 2
AssertError "x = p.Secret", 438
AssertError "p.Secret = 1", 438
' One member expression over instances of two classes, the field at another index in each.
For Each x In Array(p, q, p): x.Key = TypeName(x) & x.Key: Next
AssertEq p.Key & q.Key, "PairPairOther"
Set p.Value = q
AssertEq p.Value.Key, "Other"
