object Form1: TForm1
  Left = 0
  Top = 0
  Width = 400
  Height = 300
  Caption = 'Form1'
  ClientHeight = 300
  ClientWidth = 400
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 13
  object QELBackground1: TQELBackground
  end
  object QELLabel1: TQELLabel
    Left = 16
    Top = 24
    Width = 65
    Height = 17
    Caption = 'Hello'#13#10'World'
    Font.Height = -16
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    Background = QELBackground1
    ParentFont = False
  end
end
