object ColorDialogForm: TColorDialogForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Caption = 'Color'
  ClientHeight = 250
  ClientWidth = 330
  Color = clBtnFace
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object BasicLabel: TLabel
    Left = 8
    Top = 8
    Width = 80
    Height = 13
    Caption = '&Basic colors:'
  end
  object Basic: TPaintBox
    Left = 8
    Top = 26
    Width = 192
    Height = 144
  end
  object Preview: TPaintBox
    Left = 216
    Top = 26
    Width = 104
    Height = 60
  end
  object RedLabel: TLabel
    Left = 216
    Top = 98
    Width = 30
    Height = 13
    Caption = '&Red:'
  end
  object Red: TEdit
    Left = 260
    Top = 94
    Width = 60
    Height = 21
    MaxLength = 3
    TabOrder = 0
  end
  object GreenLabel: TLabel
    Left = 216
    Top = 124
    Width = 30
    Height = 13
    Caption = '&Green:'
  end
  object Green: TEdit
    Left = 260
    Top = 120
    Width = 60
    Height = 21
    MaxLength = 3
    TabOrder = 1
  end
  object BlueLabel: TLabel
    Left = 216
    Top = 150
    Width = 30
    Height = 13
    Caption = 'Bl&ue:'
  end
  object Blue: TEdit
    Left = 260
    Top = 146
    Width = 60
    Height = 21
    MaxLength = 3
    TabOrder = 2
  end
  object OkButton: TButton
    Left = 160
    Top = 214
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 3
  end
  object CancelButton: TButton
    Left = 245
    Top = 214
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 4
  end
end
