object QELHintEditForm: TQELHintEditForm
  Left = 0
  Top = 0
  ActiveControl = HINTBOX
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Hint Editor'
  ClientHeight = 143
  ClientWidth = 237
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = [fsBold]
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 237
    Height = 25
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 2
    object SpeedButton1: TSpeedButton
      Left = 0
      Top = 0
      Width = 77
      Height = 25
      Caption = 'Ok'
      OnClick = SpeedButton1Click
    end
    object SpeedButton2: TSpeedButton
      Left = 80
      Top = 0
      Width = 77
      Height = 25
      Caption = 'Cancel'
      OnClick = SpeedButton2Click
    end
  end
  object Label1: TLabel
    Left = 0
    Top = 28
    Width = 90
    Height = 13
    Caption = 'Hint &Box Hint'
    FocusControl = HINTBOX
  end
  object Label2: TLabel
    Left = 0
    Top = 104
    Width = 95
    Height = 13
    Caption = '&Statusbar Hint'
    FocusControl = Statusbar
  end
  object HINTBOX: TMemo
    Left = 0
    Top = 44
    Width = 237
    Height = 53
    MaxLength = 255
    TabOrder = 0
    WordWrap = False
  end
  object Statusbar: TEdit
    Left = 0
    Top = 120
    Width = 237
    Height = 21
    MaxLength = 100
    TabOrder = 1
  end
end
