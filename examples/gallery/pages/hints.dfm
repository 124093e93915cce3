object HintsPage: TForm
  Left = 0
  Top = 0
  Caption = 'Balloon hints'
  ClientHeight = 200
  ClientWidth = 460
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object bgBalloon: TQELBackground
    Gradient.BeginColor = clWhite
    Gradient.EndColor = clYellow
    Gradient.FillStyle = Vertical
  end
  object qhBalloons: TQELHint
    Font3D.Style3D = fontRaised
    Speechbubble = True
    Shadow = True
    HintFont.Color = clNavy
    HintFont.Height = -13
    HintFont.Name = 'Arial'
    HintFont.Style = [fsBold]
    HintPauseTime = 300
    Background = bgBalloon
  end
  object lbNote: TLabel
    Left = 12
    Top = 12
    Width = 420
    Height = 13
    Caption = 'Rest the pointer on a button: its hint opens in a speech bubble.'
  end
  object btnOpen: TButton
    Left = 40
    Top = 120
    Width = 100
    Height = 25
    Hint = 'Open a file|Opens a file from the disk'
    Caption = 'Open'
    ParentShowHint = False
    ShowHint = True
    TabOrder = 0
  end
  object btnSave: TButton
    Left = 180
    Top = 120
    Width = 100
    Height = 25
    Hint = 'Save the changes|Writes the file back'
    Caption = 'Save'
    ParentShowHint = False
    ShowHint = True
    TabOrder = 1
  end
  object btnPrint: TButton
    Left = 320
    Top = 120
    Width = 100
    Height = 25
    Hint = 'Print on the default printer'
    Caption = 'Print'
    ParentShowHint = False
    ShowHint = True
    TabOrder = 2
  end
end
