' A host that only knows the plug-in's ProgID: it creates the object and
' calls it through IDispatch, as a script host does.
Option Explicit
Dim plugIn
Set plugIn = CreateObject("Mimic.MimicPlugIn")
WScript.Echo "created " & TypeName(plugIn)
plugIn.ReloadList
plugIn.StopRecording
plugIn.PauseRecording
plugIn.OnChangeActiveDesign
WScript.Echo "called"
Set plugIn = Nothing
