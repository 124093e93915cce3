object DataPage: TForm
  Left = 0
  Top = 0
  Caption = 'Data-aware controls'
  ClientHeight = 200
  ClientWidth = 420
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object bgNavigator: TQELBackground
    Gradient.BeginColor = clNavy
    Gradient.EndColor = clBtnFace
    Gradient.FillStyle = Vertical
  end
  object Planets: TSQLiteDataSet
    DatabaseName = 'sample.db'
    TableName = 'planets'
    Active = True
  end
  object PlanetsSource: TDataSource
    DataSet = Planets
  end
  object navPlanets: TQELDBNavigator
    Left = 10
    Top = 10
    Width = 240
    Height = 25
    Background = bgNavigator
    DataSource = PlanetsSource
    ShowHint = True
    TabOrder = 0
  end
  object lblName: TQELDBLabel
    Left = 10
    Top = 50
    Width = 200
    Height = 32
    Frame.FrameStyle = frameLowered
    Font3D.Style3D = fontRaised
    DataField = 'name'
    DataSource = PlanetsSource
  end
  object lblMoons: TQELDBLabel
    Left = 220
    Top = 50
    Width = 190
    Height = 32
    Alignment = taRightJustify
    Frame.FrameStyle = frameLowered
    DataField = 'moons'
    DataSource = PlanetsSource
  end
  object lblDistance: TQELDBLabel
    Left = 10
    Top = 100
    Width = 400
    Height = 32
    Alignment = taCenter
    Color = clInfoBk
    Frame.FrameStyle = frameFramedUp
    DataField = 'distance'
    DataSource = PlanetsSource
  end
end
