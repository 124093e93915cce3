object FileDialogForm: TFileDialogForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Caption = 'Open'
  ClientHeight = 300
  ClientWidth = 420
  Color = clBtnFace
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object FolderLabel: TLabel
    Left = 8
    Top = 8
    Width = 404
    Height = 13
    AutoSize = False
  end
  object Files: TListBox
    Left = 8
    Top = 28
    Width = 404
    Height = 180
    TabOrder = 0
  end
  object NameLabel: TLabel
    Left = 8
    Top = 220
    Width = 60
    Height = 13
    Caption = 'File &name:'
  end
  object FileName: TEdit
    Left = 90
    Top = 216
    Width = 230
    Height = 21
    TabOrder = 1
  end
  object TypeLabel: TLabel
    Left = 8
    Top = 250
    Width = 60
    Height = 13
    Caption = 'Files of &type:'
  end
  object Filter: TComboBox
    Left = 90
    Top = 246
    Width = 230
    Height = 21
    Style = csDropDownList
    TabOrder = 2
  end
  object OkButton: TButton
    Left = 332
    Top = 214
    Width = 80
    Height = 25
    Caption = '&Open'
    Default = True
    TabOrder = 3
  end
  object CancelButton: TButton
    Left = 332
    Top = 244
    Width = 80
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 4
  end
end
